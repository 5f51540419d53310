// The yardstick for Kopix's start-up: a Qt Widgets program that starts and exits at once.
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}
