#include "support/FakePlatform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
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

void FakePlatform::readClipboardText(QObject*, std::function<void(const std::optional<QString>&)> done) {
    if (holdPasteReads) {
        pendingPasteReads.append(std::move(done));
        return;
    }
    if (pasteAnswer) {
        done(*pasteAnswer);
        return;
    }
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    done(data && data->hasText() ? std::optional<QString>(data->text()) : std::nullopt);
}

} // namespace kopix::test
