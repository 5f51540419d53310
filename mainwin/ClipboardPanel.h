#pragma once

#include "platform/ClipboardContent.h"

#include <QObject>
#include <QString>

#include <functional>

namespace kopix {

class Platform;
class StatusPanel;

// The status bar's two panels at work: whether NumLock is on, and a short preview of the text on the
// clipboard now, whichever program put it there.
class ClipboardPanel : public QObject {
    Q_OBJECT
public:
    // `textAvailable` runs whenever a read of the clipboard tells anew whether it holds text.
    ClipboardPanel(Platform& platform, StatusPanel& numLock, StatusPanel& preview,
                   std::function<void()> textAvailable, QObject* parent = nullptr);

    // Follows the clipboard and NumLock from now on, and shows what they are now.
    void JoinClipboardViewer();
    // Stops following them (the window closes).
    void LeaveClipboardViewer();
    // As last seen: whether pasting would find text.
    bool clipboardHasText() const { return m_clipboardHasText; }

private:
    void WMDrawClipboard();
    void ShowClipContent(const ClipboardContent& content);
    void ShowClipPreview(const QString& text);
    void ShowNumLock();

    Platform& m_platform;
    StatusPanel& m_numLock;
    StatusPanel& m_preview;
    std::function<void()> m_textAvailable;
    bool m_clipViewerJoined = false;
    bool m_clipboardHasText = false;
};

} // namespace kopix
