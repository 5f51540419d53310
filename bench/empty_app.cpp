// The yardsticks for Kopix's start-up: a Qt Widgets program that shows an empty window and exits once it
// has painted it; with --text the window shows one line of Japanese text, so the font system's start is
// paid as well.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

namespace {

class QuitAfterFirstPaint : public QWidget {
protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QWidget::event(event);
    }
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
