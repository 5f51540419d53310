#include "support/XServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace kopix::test {

XServer::XServer() = default;

XServer::~XServer() {
    for (QProcess* process : {&m_openbox, &m_xvfb}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(1000);
        }
    }
}

namespace {

// The server and the window manager end with the test program, also when it crashes: left running they
// would hold its output open, and ctest would wait for them.
void endWithParent(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

} // namespace

bool XServer::startServer(QString* error) {
    endWithParent(m_xvfb);
    // Xvfb picks a free display itself and writes its number to the file descriptor we name.
    m_xvfb.setProgram(QStringLiteral("Xvfb"));
    m_xvfb.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp"), QStringLiteral("-noreset")});
    m_xvfb.start();
    if (!m_xvfb.waitForStarted(5000)) {
        *error = QStringLiteral("Xvfb does not start: ") + m_xvfb.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QByteArray number;
    while (!number.contains('\n') && clock.elapsed() < 10000) {
        m_xvfb.waitForReadyRead(200);
        number += m_xvfb.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        *error = QStringLiteral("Xvfb did not report its display");
        return false;
    }
    m_display = u':' + QString::fromLatin1(number.trimmed());
    return true;
}

void XServer::stopServer() {
    m_xvfb.terminate();
    m_xvfb.waitForFinished(3000);
}

bool XServer::start(QString* error) {
    if (!startServer(error))
        return false;
    endWithParent(m_openbox);
    qputenv("DISPLAY", m_display.toLatin1());
    // A private runtime folder, as a desktop session would have.
    QFile::setPermissions(m_runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", m_runtimeDir.path().toLocal8Bit());

    m_openbox.setProgram(QStringLiteral("openbox"));
    m_openbox.setArguments({QStringLiteral("--sm-disable")});
    m_openbox.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_openbox.start();
    QElapsedTimer clock;
    clock.start();
    if (!m_openbox.waitForStarted(5000)) {
        *error = QStringLiteral("openbox does not start: ") + m_openbox.errorString();
        return false;
    }
    // The window manager is ready once it has claimed the root window.
    while (clock.elapsed() < 15000) {
        if (runTool(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id")))
            return true;
        QThread::msleep(100);
    }
    *error = QStringLiteral("openbox did not take the display");
    return false;
}

QString runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return QString();
    // Keep answering the X server meanwhile: the tool may be asking this very program for the clipboard.
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 10000) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        process.waitForFinished(10);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QByteArray clipboardBytes() {
    QProcess process;
    process.start(QStringLiteral("xclip"),
                  {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    process.waitForStarted(5000);
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        process.waitForFinished(10);
    }
    return process.readAllStandardOutput();
}

void reachServer() {
    QCoreApplication::processEvents();
    QGuiApplication::sync();
}

bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    // What the tool did is at the server: a round trip brings this program's share of it, handled here.
    reachServer();
    // A typed key also switches the server to xdotool's keyboard, and a window activated moves the focus:
    // Kopix's global key follows both on an X connection of its own, which this program cannot wait on.
    static const QStringList followedElsewhere{
        QStringLiteral("key"),  QStringLiteral("keydown"),        QStringLiteral("keyup"),
        QStringLiteral("type"), QStringLiteral("windowactivate"), QStringLiteral("windowfocus")};
    if (arguments.isEmpty() || followedElsewhere.contains(arguments.first()))
        pumpEvents(60);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString netWmState(unsigned long window) {
    return runTool(QStringLiteral("xprop"),
                   {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_WM_STATE")});
}

} // namespace kopix::test
