#pragma once

#include "platform/Platform.h"

#include <QMargins>

#include <memory>
#include <optional>

namespace kopix {

class X11ActiveWindow;
class X11ClipboardReader;
class X11GlobalKey;
class X11NumLock;

// The desktop as X11 (or XWayland) and Qt give it.
class LinuxPlatform : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;
    bool isOnRemovableDrive(const QString& folder) override;
    QRect workAreaNear(const QRect& rect) override;
    QRect normalRectangle(const QWidget* window) override;
    QMargins frameExtents(QWidget* window) override;
    void askFrameExtents(Qt::WindowFlags flags) override;
    void setStayOnTop(QWidget* window, bool onTop) override;
    void bringToFront(QWidget* window) override;
    int showMessage(const MessageRequest& request) override;
    void showErrorBox(QWidget* owner, const QString& title, const QString& text) override;
    QString showHelp(int context) override;
    bool startProgram(const QString& program, const QString& argument) override;
    QString openWithDesktop(const QString& path, DesktopTarget target) override;
    qint64 memoryBytes() override;
    std::optional<bool> numLockOn() override;
    void watchNumLock(std::function<void()> onChange) override;
    QString openUrl(const QUrl& url) override;
    void readClipboard(QObject* context, std::function<void(const ClipboardContent&)> done) override;
    void readPrimaryText(QObject* context, std::function<void(const std::optional<QString>&)> done) override;
    void readClipboardText(QObject* context,
                           std::function<void(const std::optional<QString>&)> done) override;
    bool followActiveWindow() override;
    OtherWindow previousWindow() override;
    void pasteInto(OtherWindow window, QKeyCombination key, std::function<void(PasteOutcome)> done) override;
    bool activateOtherWindow(OtherWindow window) override;
    QString grabGlobalKey(QKeyCombination key, std::function<void()> pressed,
                          std::function<void(const QString& problem)> changed) override;
    QString probeGlobalKey(QKeyCombination key) override;

    // The program is ending with nobody to answer (a signal came while the window was still being made):
    // the open boxes close as cancelled, and later ones are not shown but answered so at once.
    void stopAsking();

private:
    bool m_askingStopped = false;
    // The frame the window manager puts around a window with these flags in the normal state, when it says.
    std::optional<QMargins> normalFrameExtents(Qt::WindowFlags flags);
    // A window with these flags that the window manager has been asked about; none when no window manager
    // answers such questions.
    static std::unique_ptr<QWidget> askAboutStandIn(Qt::WindowFlags flags);
    struct FrameQuestion {
        Qt::WindowFlags flags;
        std::unique_ptr<QWidget> standIn;
    };
    std::optional<FrameQuestion> m_frameQuestion; // asked ahead (askFrameExtents), not yet answered
    // Made on first use, when the application (and its X connection) exists.
    X11NumLock& numLock();
    std::unique_ptr<X11NumLock> m_numLock;
    X11ActiveWindow& activeWindow();
    std::unique_ptr<X11ActiveWindow> m_activeWindow;
    X11GlobalKey& globalKey();
    std::unique_ptr<X11GlobalKey> m_globalKey;
    quint32 m_globalKeyTime = 0; // while the global key's press is handled, its X time
    std::unique_ptr<X11ClipboardReader> m_clipboardReader;
    std::unique_ptr<X11ClipboardReader> m_pasteReader;
    std::unique_ptr<X11ClipboardReader> m_primaryReader;
};

// Whether the block device major:minor is removable, read from a sysfs tree (a parameter for tests). The
// flag lives on the whole disk, so a partition looks one folder up.
bool blockDeviceIsRemovable(const QString& sysfsRoot, unsigned major, unsigned minor);

} // namespace kopix
