#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QAbstractNativeEventFilter;

namespace kopix::session {

// What the program entry needs of the desktop session, whatever window system it runs on: the X11 pieces
// stay behind these names.

// Picks the window system Qt will use: on a Wayland session, X11 through XWayland, since staying on top
// and watching the clipboard without focus need it. A platform the user chose is left alone. Called
// before the application object exists.
void choosePlatform();

// Where the display the program would use cannot be reached or does not answer in time: its name, for
// the message ("" when none is set). Called before the application object exists.
std::optional<QByteArray> unreachableDisplay(int argc, char** argv);

// The program was started by itself to keep serving its last copy after it exited (never by a user).
bool isClipboardServerStart(int argc, char** argv);
// Serves the text on standard input until another program takes the clipboard; the exit status.
int serveClipboard(char** argv);

// The name of the display the application runs on: one Kopix runs per settings file and display.
QString displayName();

// Tells the launcher that started this program that it need not wait for a window (the start handed its
// document over to the Kopix already running).
void endStartupFeedback(const QByteArray& startupId);

// While it lives (made after the application object), Kopix's own clipboard answers the old text targets
// that other programs ask for without losing what Latin-1 cannot hold.
class TextTargets {
public:
    TextTargets();
    ~TextTargets();
    TextTargets(const TextTargets&) = delete;
    TextTargets& operator=(const TextTargets&) = delete;

private:
    std::unique_ptr<QAbstractNativeEventFilter> m_targets;
};

} // namespace kopix::session
