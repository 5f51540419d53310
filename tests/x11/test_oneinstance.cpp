// One Kopix per settings file: a second start hands its document to the running Kopix and ends, so the
// one settings file is written by one Kopix only.
#include "support/EventWait.h"
#include "support/KopixProcess.h"
#include "support/XServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kopix::test {
namespace {

const QByteArray settings = "[fC]\r\nA_L=100\r\nA_T=100\r\n";

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The startup-notification messages sent to the root window, as a launcher reads them: on an X connection
// of the test's own, the pieces put together.
class StartupMessages {
public:
    StartupMessages() : m_display(XOpenDisplay(nullptr)) {
        XSelectInput(m_display, DefaultRootWindow(m_display), PropertyChangeMask);
        XSync(m_display, False);
    }
    ~StartupMessages() { XCloseDisplay(m_display); }
    // The messages that have come in whole, waiting up to timeoutMs for the first.
    QList<QByteArray> read(int timeoutMs) {
        const Atom begin = XInternAtom(m_display, "_NET_STARTUP_INFO_BEGIN", False);
        const Atom more = XInternAtom(m_display, "_NET_STARTUP_INFO", False);
        QList<QByteArray> whole;
        waitFor(
            [&] {
                while (XPending(m_display)) {
                    XEvent event;
                    XNextEvent(m_display, &event);
                    if (event.type != ClientMessage || event.xclient.format != 8 ||
                        (event.xclient.message_type != begin && event.xclient.message_type != more))
                        continue;
                    if (event.xclient.message_type == begin)
                        m_partial.clear();
                    m_partial.append(event.xclient.data.b, 20);
                    if (const qsizetype end = m_partial.indexOf('\0'); end >= 0) {
                        whole.append(m_partial.left(end));
                        m_partial.clear();
                    }
                }
                return !whole.isEmpty();
            },
            timeoutMs);
        return whole;
    }

private:
    Display* m_display;
    QByteArray m_partial;
};

class OneKopix : public ::testing::Test {
protected:
    // Starts the first Kopix of the program folder on a document and waits for its window.
    void startFirst(KopixProcess& kopix, const char* name, unsigned long* window) {
        kopix.writeFile(text("Kopix.ini"), settings);
        ASSERT_TRUE(kopix.start({kopix.writeFile(text(name), "line\r\n")}));
        *window = kopix.waitForWindow(text(name) + text(" - Kopix"));
        ASSERT_NE(*window, 0u) << kopix.errorOutput().constData();
    }
    // Starts Kopix again from the same folder; the time until it ended, or -1 when it is still running.
    static qint64 startAgainAndTime(KopixProcess& kopix, const QStringList& arguments, QProcess& again) {
        QElapsedTimer clock;
        clock.start();
        if (!kopix.startAgain(again, arguments))
            return -1;
        return waitFor([&] { return again.state() == QProcess::NotRunning; }, 5000) ? clock.elapsed() : -1;
    }
    static void endWithSignal(KopixProcess& kopix, int signal) {
        ::kill(pid_t(kopix.process().processId()), signal);
        ASSERT_TRUE(kopix.waitForExit(5000));
    }
    static QString activeWindow() { return runTool(text("xdotool"), {text("getactivewindow")}).trimmed(); }
};

TEST_F(OneKopix, ASecondStartOpensItsFileInTheFirstWhichKeepsBothInItsRecentList) {
    KopixProcess kopix;
    unsigned long window = 0;
    ASSERT_NO_FATAL_FAILURE(startFirst(kopix, "a.txt", &window));
    const QString b = kopix.writeFile(text("b.txt"), "other\r\n");

    QProcess second;
    const qint64 took = startAgainAndTime(kopix, {b}, second);
    ASSERT_GE(took, 0) << "the second start is still running";
    std::printf("handed over in %lld ms\n", took);
    EXPECT_LE(took, 1000);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();
    EXPECT_EQ(kopix.waitForWindow(text("b.txt - Kopix"), 2000), window) << "the first window shows b.txt";

    // A file that is not .txt is not opened, and the start that handed it over says so.
    QProcess notText;
    ASSERT_GE(startAgainAndTime(kopix, {kopix.writeFile(text("d.pdf"), "%PDF")}, notText), 0);
    EXPECT_EQ(notText.exitCode(), 1);
    EXPECT_TRUE(notText.readAllStandardError().contains("d.pdf was not opened"));

    // A copy of its own beside it leaves the settings file alone, and says so.
    QProcess beside;
    ASSERT_TRUE(kopix.startAgain(beside, {text("--new-window"), kopix.writeFile(text("c.txt"), "c\r\n")}));
    const unsigned long besideWindow =
        kopix.waitForWindow(text("c.txt - Kopix（別ウィンドウ・設定保存なし）"));
    ASSERT_NE(besideWindow, 0u);
    ::kill(pid_t(beside.processId()), SIGTERM);
    ASSERT_TRUE(waitFor([&] { return beside.state() == QProcess::NotRunning; }));
    EXPECT_EQ(kopix.readFile(text("Kopix.ini")), settings);

    ASSERT_NO_FATAL_FAILURE(endWithSignal(kopix, SIGTERM));
    const QByteArray ini = kopix.readFile(text("Kopix.ini"));
    EXPECT_TRUE(ini.contains(QByteArray("F0=" + b.toUtf8() + "\r\n"))) << ini.constData();
    EXPECT_TRUE(ini.contains(QByteArray("F1=" + kopix.programDir().toUtf8() + "/a.txt\r\n")))
        << ini.constData();
    EXPECT_FALSE(ini.contains("c.txt")) << ini.constData();
}

TEST_F(OneKopix, ASecondStartWithoutAFileBringsTheFirstToTheFront) {
    KopixProcess kopix;
    unsigned long window = 0;
    ASSERT_NO_FATAL_FAILURE(startFirst(kopix, "a.txt", &window));
    ASSERT_TRUE(xdotool({text("windowminimize"), text("--sync"), QString::number(window)}));
    ASSERT_NE(activeWindow(), QString::number(window));

    QProcess second;
    ASSERT_GE(startAgainAndTime(kopix, {}, second), 0);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return activeWindow() == QString::number(window); }, 2000))
        << "active: " << activeWindow().toStdString();
    EXPECT_FALSE(netWmState(window).contains(text("_NET_WM_STATE_HIDDEN")))
        << netWmState(window).toStdString();
    EXPECT_NE(kopix.waitForWindow(text("a.txt - Kopix"), 0), 0u) << "the document stays";
}

// Started again from a launcher, Kopix ends the launcher's busy feedback as it hands over, or the feedback
// would go on until the launcher gives up.
TEST_F(OneKopix, AStartFromALauncherThatHandsOverEndsTheLaunchersFeedback) {
    KopixProcess kopix;
    unsigned long window = 0;
    ASSERT_NO_FATAL_FAILURE(startFirst(kopix, "a.txt", &window));
    StartupMessages messages;
    QProcessEnvironment launcher;
    launcher.insert(text("DESKTOP_STARTUP_ID"), text("launcher-42-host-kopix-0_TIME1234"));
    QProcess second;
    ASSERT_TRUE(kopix.startAgain(second, {}, launcher));
    EXPECT_EQ(messages.read(3000), QList<QByteArray>{"remove: ID=launcher-42-host-kopix-0_TIME1234"});
    EXPECT_TRUE(waitFor([&] { return second.state() == QProcess::NotRunning; }));
    EXPECT_EQ(second.exitCode(), 0);
}

TEST_F(OneKopix, TwoPortableFoldersRunTwoKopixes) {
    KopixProcess one;
    KopixProcess two;
    unsigned long first = 0;
    unsigned long second = 0;
    ASSERT_NO_FATAL_FAILURE(startFirst(one, "one.txt", &first));
    ASSERT_NO_FATAL_FAILURE(startFirst(two, "two.txt", &second));
    EXPECT_NE(first, second);
    EXPECT_EQ(one.process().state(), QProcess::Running);
    EXPECT_EQ(two.process().state(), QProcess::Running);
}

// A Kopix killed outright leaves its socket behind: the next start takes its place, and the start after
// that hands over to it.
TEST_F(OneKopix, AKilledKopixDoesNotStopTheNextStart) {
    KopixProcess kopix;
    unsigned long window = 0;
    ASSERT_NO_FATAL_FAILURE(startFirst(kopix, "a.txt", &window));
    ASSERT_NO_FATAL_FAILURE(endWithSignal(kopix, SIGKILL));

    ASSERT_TRUE(kopix.start({kopix.writeFile(text("a.txt"), "line\r\n")}));
    const unsigned long next = kopix.waitForWindow(text("a.txt - Kopix"));
    ASSERT_NE(next, 0u) << kopix.errorOutput().constData();
    EXPECT_TRUE(kopix.errorOutput().isEmpty()) << kopix.errorOutput().constData();

    QProcess third;
    ASSERT_GE(startAgainAndTime(kopix, {kopix.writeFile(text("b.txt"), "b\r\n")}, third), 0);
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_EQ(kopix.waitForWindow(text("b.txt - Kopix"), 2000), next);
}

// A portable copy in a folder whose name is not UTF-8 (a Latin-1 name from an old system) finds its own
// settings file and the document it names, and writes the settings back there at the end, not into the
// user's folders.
TEST_F(OneKopix, APortableCopyInAFolderNamedInLatin1KeepsItsSettingsBesideItself) {
    QTemporaryDir root;
    const QByteArray folder = QFile::encodeName(root.path()) + "/caf\xe9";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const auto writeBytes = [](const QByteArray& path, const QByteArray& bytes, mode_t mode) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        ASSERT_GE(fd, 0) << path.constData();
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
    };
    QFile program(QStringLiteral(KOPIX_BINARY));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    ASSERT_NO_FATAL_FAILURE(writeBytes(folder + "/kopix", program.readAll(), 0755));
    ASSERT_NO_FATAL_FAILURE(writeBytes(folder + "/doc.txt", "line\r\n", 0644));
    const QByteArray document = folder + "/doc.txt";
    const QByteArray url = "file://" + document.toPercentEncoding("/");
    ASSERT_NO_FATAL_FAILURE(
        writeBytes(folder + "/Kopix.ini", settings + "[FL]\r\nFD=\r\nF0=" + url + "\r\n", 0644));

    // Started by its bytes: a shell gets the name from octal escapes, which are plain ASCII.
    QByteArray escaped;
    const QByteArray executable = folder + "/kopix";
    for (const char c : executable)
        escaped += QByteArray("\\0") + QByteArray::number(quint8(c), 8);
    QProcess kopix;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(text("XDG_CONFIG_HOME"), root.filePath(text("config")));
    environment.insert(text("XDG_DATA_HOME"), root.filePath(text("data")));
    kopix.setProcessEnvironment(environment);
    kopix.start(text("/bin/sh"),
                {text("-c"), text("exec \"$(printf '%b' '") + QString::fromLatin1(escaped) + text("')\"")});
    ASSERT_TRUE(kopix.waitForStarted(5000));
    EXPECT_TRUE(waitFor(
        [] {
            return !runTool(text("xdotool"), {text("search"), text("--onlyvisible"), text("--name"),
                                              text("^doc.txt - Kopix$")})
                        .isEmpty();
        },
        10000))
        << "the document its own settings name: " << kopix.readAllStandardError().constData();
    ::kill(pid_t(kopix.processId()), SIGTERM);
    ASSERT_TRUE(waitFor([&] { return kopix.state() == QProcess::NotRunning; }, 5000));
    const QByteArray iniPath = folder + "/Kopix.ini";
    QFile written;
    ASSERT_TRUE(written.open(::open(iniPath.constData(), O_RDONLY), QIODevice::ReadOnly,
                             QFileDevice::AutoCloseHandle));
    const QByteArray ini = written.readAll();
    EXPECT_TRUE(ini.contains(QByteArray("\r\nF0=" + url + "\r\n"))) << ini.constData();
    EXPECT_TRUE(ini.contains("\r\nFD=file://")) << ini.constData();
    EXPECT_FALSE(QFile::exists(root.filePath(text("config/Kopix/Kopix.ini"))))
        << "nothing in the user's folders";
}

} // namespace
} // namespace kopix::test
