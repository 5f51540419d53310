#pragma once

#include "platform/ClipboardContent.h"
#include "platform/DesktopOpener.h"
#include "platform/MessageBox.h"

#include <QKeyCombination>
#include <QMargins>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

class QObject;
class QUrl;
class QWidget;

namespace kopix {

// What became of a paste into another program's window.
// Another program's window as the desktop session knows it. Only the session part of the platform looks
// inside; to everyone else it is a handle to pass back. A null handle is no window.
class OtherWindow {
public:
    OtherWindow() = default;
    explicit OtherWindow(quint64 native) : m_native(native) {}
    bool isNull() const { return m_native == 0; }
    // The session's own id of the window.
    quint64 native() const { return m_native; }
    bool operator==(const OtherWindow&) const = default;

private:
    quint64 m_native = 0;
};

enum class PasteOutcome {
    Sent,           // the window was activated and got the key
    WindowGone,     // the window no longer exists: nothing was sent
    NotActivated,   // the window did not become the active one in time: nothing was sent
    KeyNotOnLayout, // the keyboard's layout has no key for the paste key now: nothing was sent
};

// What the desktop does for the program. The program talks to the desktop only through this, so tests
// can put a recording fake in its place.
class Platform {
public:
    virtual ~Platform() = default;

    // Whether a folder lies on a removable drive (a USB stick, a card).
    virtual bool isOnRemovableDrive(const QString& folder) = 0;
    // The work area (the screen without panels and docks) of the screen nearest a rectangle.
    virtual QRect workAreaNear(const QRect& rect) = 0;
    // A window's outer rectangle, frame included, as it is when neither minimised nor maximised.
    virtual QRect normalRectangle(const QWidget* window) = 0;
    // The frame the window manager puts around a top-level window, known ahead of the window's first
    // showing where the window manager can tell; no margins when there is no frame or nobody says.
    virtual QMargins frameExtents(QWidget* window) = 0;
    // Puts the question of the frame for a window with these flags to the window manager now, for a
    // frameExtents call a little later, so that the answer is there by then rather than waited for.
    virtual void askFrameExtents(Qt::WindowFlags flags) { Q_UNUSED(flags) }
    // Switches stay-on-top without hiding, moving, activating or re-creating the window.
    virtual void setStayOnTop(QWidget* window, bool onTop) = 0;
    // Brings a window (or the box open over it) to the front with the focus, a minimised one shown again:
    // the user asked for it, by starting the program again.
    virtual void bringToFront(QWidget* window) = 0;
    // Shows a modal message box and returns the result code of the button that closed it.
    virtual int showMessage(const MessageRequest& request) = 0;
    // The error box for an error that no handler caught: stop icon, the application title, OK.
    virtual void showErrorBox(QWidget* owner, const QString& title, const QString& text) = 0;
    // Shows help at a context number: its page in the web browser. "" when it is shown (or there is no
    // page for the number), else why it could not be, in a line for the user.
    virtual QString showHelp(int context) = 0;
    // Starts a program with one argument, without a shell: nothing of either is read as a command line.
    // False when it could not be started.
    virtual bool startProgram(const QString& program, const QString& argument) = 0;
    // Opens a file (the document, in the desktop's text editor) or a folder (in the file manager) in the
    // program the desktop associates with it, never in Kopix itself. "" when a program was started, else
    // why none was, in a line for the user.
    virtual QString openWithDesktop(const QString& path, DesktopTarget target) = 0;

    // The machine's memory, in bytes.
    virtual qint64 memoryBytes() = 0;

    // Whether NumLock is on; nothing when the desktop cannot tell (no X display).
    virtual std::optional<bool> numLockOn() = 0;
    // Calls onChange whenever NumLock may have changed, from now on (a later call replaces it).
    virtual void watchNumLock(std::function<void()> onChange) = 0;
    // Opens a web page in the user's browser. Takes absolute http and https URLs only (anything else is
    // not handed on, and counts as done); "" when the browser was started, else why it was not.
    virtual QString openUrl(const QUrl& url) = 0;
    // Reads what the clipboard holds and hands it to done, now or later, but never after `context` is
    // gone. Another program's content is read without blocking the event loop, and the read gives up
    // within a second when its owner does not answer. A new read abandons one still running.
    virtual void readClipboard(QObject* context, std::function<void(const ClipboardContent&)> done) = 0;
    // Reads the whole text on the clipboard for a paste, read like readClipboard (never waiting for the
    // owner, given up within a second when it does not answer) but on its own, so it and the preview never
    // cut each other off. done gets nothing when there is no text or the read failed.
    virtual void readClipboardText(QObject* context,
                                   std::function<void(const std::optional<QString>&)> done) = 0;
    // Reads the primary selection's whole text (what was last selected anywhere) for a middle-button paste,
    // the same way as readClipboardText and on a read of its own.
    virtual void readPrimaryText(QObject* context,
                                 std::function<void(const std::optional<QString>&)> done) = 0;

    // Follows which top-level window is active from now on, through the desktop's _NET_ACTIVE_WINDOW,
    // so that previousWindow() knows where the user came from. False when the desktop does not say which
    // window is active.
    virtual bool followActiveWindow() = 0;
    // The last active top-level window that is not one of Kopix's own; null when none is known.
    virtual OtherWindow previousWindow() = 0;
    // Activates another program's window and, only once it is the active window, sends it a key as if
    // typed (keys the user still holds are released first). done gets the outcome, later.
    virtual void pasteInto(OtherWindow window, QKeyCombination key,
                           std::function<void(PasteOutcome)> done) = 0;
    // Activates another program's window (the global key's way back); false when it no longer exists.
    virtual bool activateOtherWindow(OtherWindow window) = 0;
    // Takes a key on the whole desktop, whichever program has the focus, with NumLock and CapsLock on or
    // off; pressed runs at each press. An empty key gives the one taken back. "" when it is taken, else
    // why not, in a line for the user. The key follows the keyboard's layout when the user switches it;
    // changed is told why it cannot be taken in the new layout, or "" once it is taken again.
    virtual QString grabGlobalKey(QKeyCombination key, std::function<void()> pressed,
                                  std::function<void(const QString& problem)> changed) = 0;
    // Whether a key could be taken on the whole desktop now: "" when it could (the key taken now too), else
    // why not, in a line for the user. Nothing stays taken.
    virtual QString probeGlobalKey(QKeyCombination key) = 0;
};

} // namespace kopix
