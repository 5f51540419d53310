// The yardsticks for Kopix's start-up: a Qt Widgets program that shows an empty window and exits once it
// has painted it, saying "painted" on standard output first; with --text the window shows one line of
// Japanese text, so the font system's start is paid as well.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

class QuitAfterFirstPaint : public QWidget {
protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QTimer::singleShot(0, qApp, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QWidget::event(event);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QuitAfterFirstPaint window;
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        (new QVBoxLayout(&window))->addWidget(new QLabel(QStringLiteral("定型文をコピーする"), &window));
    window.resize(300, 400);
    window.show();
    return app.exec();
}
