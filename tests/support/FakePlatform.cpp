#include "support/FakePlatform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>

namespace kopix::test {

QRect FakePlatform::normalRectangle(const QWidget* window) {
    return window->frameGeometry();
}

void FakePlatform::readClipboard(QObject*, std::function<void(const ClipboardContent&)> done) {
    ++clipboardReads;
    done(clipboardAnswer ? *clipboardAnswer : clipboardContentOf(QGuiApplication::clipboard()->mimeData()));
}

} // namespace kopix::test
