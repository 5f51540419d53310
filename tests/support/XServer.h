#pragma once

#include "support/EventWait.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace kopix::test {

// A private X server (Xvfb) with a window manager (openbox), started for the test program and stopped with
// it, so the tests need nothing running on the machine.
class XServer {
public:
    XServer();
    ~XServer();
    // The server with a window manager, made this program's display (DISPLAY, a runtime folder).
    bool start(QString* error);
    // Only the server, for programs that are pointed at it; this program's display stays as it was.
    bool startServer(QString* error);
    // Ends the server, as at the end of a session.
    void stopServer();
    QString display() const { return m_display; }

private:
    QProcess m_xvfb;
    QProcess m_openbox;
    QTemporaryDir m_runtimeDir;
    QString m_display;
};

// Runs a command on the test display and returns its standard output ("" when it fails), handling this
// program's events meanwhile.
QString runTool(const QString& program, const QStringList& arguments);
// The CLIPBOARD's text as xclip reads it, byte for byte.
QByteArray clipboardBytes();
// Handles this program's pending events, repaints included, and waits until the server has done what
// they asked: what the window shows is then on the screen.
void reachServer();
// Runs xdotool with the arguments, then lets this program handle what it caused.
bool xdotool(const QStringList& arguments);
// The _NET_WM_STATE atoms of a window, as xprop prints them.
QString netWmState(unsigned long window);

} // namespace kopix::test
