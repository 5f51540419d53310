// The yardsticks for Kopix's start-up: a Qt Widgets program that shows an empty window and exits once it
// has painted it, saying so on standard output first (QuitAfterFirstPaint); with --text the window shows one
// line of Japanese text, so the font system's start is paid as well.
#include "app/QuitAfterFirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    kopix::QuitAfterFirstPaint quitAfterFirstPaint;
    window.installEventFilter(&quitAfterFirstPaint);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        (new QVBoxLayout(&window))->addWidget(new QLabel(QStringLiteral("定型文をコピーする"), &window));
    window.resize(300, 400);
    window.show();
    return app.exec();
}
