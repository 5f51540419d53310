#include "support/FakePlatform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>

namespace kopix::test {

QRect FakePlatform::normalRectangle(const QWidget* window) {
    // A frame the test set stands for a window manager's, around the window's position (which is the
    // frame's); else the offscreen platform's own.
    if (frame.isNull())
        return window->frameGeometry();
    return QRect(window->pos(), window->size().grownBy(frame));
}

void FakePlatform::readClipboard(QObject*, std::function<void(const ClipboardContent&)> done) {
    ++clipboardReads;
    done(clipboardAnswer ? *clipboardAnswer : clipboardContentOf(QGuiApplication::clipboard()->mimeData()));
}

} // namespace kopix::test
