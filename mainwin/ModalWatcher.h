#pragma once

#include <QObject>
#include <QSet>

#include <functional>

namespace kopix {

// Counts the program's open modal windows and reports when the first one opens and the last one closes,
// so nested boxes (a message over a dialog) switch the main window only once. A modal window the window
// manager minimised is still open. File dialogs do not count:
// they take the place of the desktop's own, which never took the main window off the top.
class ModalWatcher : public QObject {
    Q_OBJECT
public:
    ModalWatcher(std::function<void()> begin, std::function<void()> end, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void opened(QObject* window);
    void closed(QObject* window);

    std::function<void()> m_begin;
    std::function<void()> m_end;
    QSet<QObject*> m_open;
};

} // namespace kopix
