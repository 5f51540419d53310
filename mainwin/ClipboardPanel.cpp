#include "mainwin/ClipboardPanel.h"

#include "core/ClipPreview.h"
#include "mainwin/StatusPanel.h"
#include "platform/Platform.h"

#include <QClipboard>
#include <QGuiApplication>

namespace kopix {

ClipboardPanel::ClipboardPanel(Platform& platform, StatusPanel& numLock, StatusPanel& preview,
                               std::function<void()> textAvailable, QObject* parent)
    : QObject(parent), m_platform(platform), m_numLock(numLock), m_preview(preview),
      m_textAvailable(std::move(textAvailable)) {}

void ClipboardPanel::JoinClipboardViewer() {
    m_clipViewerJoined = true;
    // Qt learns of every new owner of the CLIPBOARD through XFixes, our own copies and other programs'
    // alike, with or without focus. X has no chain of viewers to pass the news on to.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &ClipboardPanel::WMDrawClipboard);
    m_platform.watchNumLock([this] { ShowNumLock(); });
    ShowNumLock();
    // What is on the clipboard at start.
    WMDrawClipboard();
}

void ClipboardPanel::LeaveClipboardViewer() {
    if (!m_clipViewerJoined)
        return;
    m_clipViewerJoined = false;
    disconnect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
               &ClipboardPanel::WMDrawClipboard);
    m_platform.watchNumLock(nullptr);
}

void ClipboardPanel::WMDrawClipboard() {
    // The answer may come later (another program's content is read without waiting for it here); a
    // newer change makes the platform drop an older read.
    m_platform.readClipboard(this, [this](const ClipboardContent& content) { ShowClipContent(content); });
}

void ClipboardPanel::ShowClipContent(const ClipboardContent& content) {
    if (!m_clipViewerJoined)
        return;
    if (content.kind != ClipboardContent::Kind::Failed) {
        m_clipboardHasText = content.kind != ClipboardContent::Kind::NoText;
        m_textAvailable();
    }
    switch (content.kind) {
    case ClipboardContent::Kind::Text:
        ShowClipPreview(content.text);
        break;
    case ClipboardContent::Kind::NoText:
        m_preview.setText(clipNotTextLabel());
        break;
    case ClipboardContent::Kind::Secret:
        // A password must not sit in plain sight at the bottom of a window that is always on top.
        m_preview.setText(clipSecretLabel());
        break;
    case ClipboardContent::Kind::Failed:
        // Said where the preview is, in place of a text that is no longer current. Never in a box: the
        // read runs whenever another program takes the clipboard, while the user types in that program,
        // and a box would come up over it and take its keys.
        m_preview.setText(tr("クリップボード %1 を開けません").arg(content.error));
        break;
    }
}

void ClipboardPanel::ShowClipPreview(const QString& text) {
    m_preview.setText(clipPreview(text));
}

void ClipboardPanel::ShowNumLock() {
    // A desktop that cannot tell leaves the panel as it is.
    if (const std::optional<bool> on = m_platform.numLockOn())
        m_numLock.setText(*on ? QStringLiteral(" Num") : QString());
}

} // namespace kopix
