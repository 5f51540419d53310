#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>

namespace kopix {

// For the start-up benchmark: watching a widget, once it has painted for the first time (with the rest of
// its window), says PaintedWord on standard output and ends the program. Kopix and the empty windows the
// benchmark measures it against report the same way.
class QuitAfterFirstPaint : public QObject {
public:
    static constexpr char PaintedWord[] = "painted";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // After the paint this event begins, and the rest of the window's.
            QTimer::singleShot(0, QCoreApplication::instance(), [] {
                std::puts(PaintedWord);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_painted = false;
};

} // namespace kopix
