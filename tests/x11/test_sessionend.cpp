// Ending the session while corrections are pending: a signal (a logout's SIGTERM, a closed terminal's
// SIGHUP) saves them and the settings without a question, and the program ends normally.
#include "support/EventWait.h"
#include "support/KopixProcess.h"
#include "support/XServer.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>

namespace kopix::test {
namespace {

const QByteArray settings = "[fC]\r\nA_L=100\r\nA_T=100\r\n";
const QByteArray document = "alpha\r\nbeta\r\ngamma\r\n";

struct SignalCase {
    const char* name;
    int signal;
};

class SessionEnd : public ::testing::TestWithParam<SignalCase> {
protected:
    // Starts Kopix on the document, opens the correction tab and types at the end of the first line.
    void startAndCorrect() {
        kopix.writeFile(QStringLiteral("Kopix.ini"), settings);
        path = kopix.writeFile(QStringLiteral("doc.txt"), document);
        ASSERT_TRUE(kopix.start({path}));
        window = kopix.waitForWindow(QStringLiteral("doc.txt - Kopix"));
        ASSERT_NE(window, 0u) << kopix.errorOutput().constData();
        ASSERT_TRUE(
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)}));
        // The tab bar's keys, as a keyboard user switches: the list has the focus, Ctrl+Tab goes on.
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("--window"), QString::number(window),
                             QStringLiteral("ctrl+Tab")}));
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("End")}));
        ASSERT_TRUE(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                             QStringLiteral("XYZ")}));
        pumpEvents(300);
    }
    void sendSignal(int signal) { ::kill(pid_t(kopix.process().processId()), signal); }
    void expectCleanExit() {
        ASSERT_TRUE(kopix.waitForExit(5000)) << "Kopix is still running";
        EXPECT_EQ(kopix.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(kopix.process().exitCode(), 0);
    }

    KopixProcess kopix;
    QString path;
    unsigned long window = 0;
};

TEST_P(SessionEnd, SavesTheCorrectionAndTheSettingsAndExitsNormally) {
    ASSERT_NO_FATAL_FAILURE(startAndCorrect());
    sendSignal(GetParam().signal);
    ASSERT_NO_FATAL_FAILURE(expectCleanExit());
    EXPECT_EQ(kopix.readFile(QStringLiteral("doc.txt")), QByteArray("alphaXYZ\r\nbeta\r\ngamma\r\n"));
    // Written at exit: the window's size, which the start-up settings did not hold.
    EXPECT_TRUE(kopix.readFile(QStringLiteral("Kopix.ini")).contains("A_W="))
        << kopix.readFile("Kopix.ini").constData();
}

TEST_P(SessionEnd, ClosesAnOpenDialogFirst) {
    ASSERT_NO_FATAL_FAILURE(startAndCorrect());
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+o")}));
    ASSERT_NE(kopix.waitForWindow(QStringLiteral("開く")), 0u);
    sendSignal(GetParam().signal);
    ASSERT_NO_FATAL_FAILURE(expectCleanExit());
    EXPECT_EQ(kopix.readFile(QStringLiteral("doc.txt")), QByteArray("alphaXYZ\r\nbeta\r\ngamma\r\n"));
}

TEST_P(SessionEnd, KeepsTheFileOfAnotherProgramAndTheCorrectionsInACopy) {
    ASSERT_NO_FATAL_FAILURE(startAndCorrect());
    // Saving now would need the user's yes: another program wrote the file meanwhile.
    const QByteArray theirs = "written by another program\r\n";
    kopix.writeFile(QStringLiteral("doc.txt"), theirs);
    sendSignal(GetParam().signal);
    ASSERT_NO_FATAL_FAILURE(expectCleanExit());
    EXPECT_EQ(kopix.readFile(QStringLiteral("doc.txt")), theirs);
    const QStringList copies = QDir(kopix.programDir()).entryList({QStringLiteral("doc (訂正 *).txt")});
    ASSERT_EQ(copies.size(), 1) << copies.join(u' ').toStdString();
    EXPECT_EQ(kopix.readFile(copies.first()), QByteArray("alphaXYZ\r\nbeta\r\ngamma\r\n"));
}

TEST_P(SessionEnd, WhileABoxOfTheStartIsOpenEndsNormallyAndWritesTheSettings) {
    kopix.writeFile(QStringLiteral("Kopix.ini"), settings);
    // A document that is not there: a warning while the window is being made.
    ASSERT_TRUE(kopix.start({kopix.programDir() + QStringLiteral("/gone.txt")}));
    ASSERT_NE(kopix.waitForWindow(QStringLiteral("警告")), 0u) << kopix.errorOutput().constData();
    sendSignal(GetParam().signal);
    ASSERT_NO_FATAL_FAILURE(expectCleanExit());
    EXPECT_TRUE(kopix.readFile(QStringLiteral("Kopix.ini")).contains("A_W="))
        << kopix.readFile("Kopix.ini").constData();
}

// A session without a session manager ends by ending the X server, and Qt ends the program on the spot.
TEST(DisplayLost, TheCorrectionAndTheSettingsAreWrittenAsKopixGoes) {
    XServer own;
    QString error;
    ASSERT_TRUE(own.startServer(&error)) << error.toStdString();
    // xdotool on Kopix's server rather than the test's.
    const auto onOwn = [&](const QStringList& arguments) {
        const QByteArray testDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", own.display().toLatin1());
        const QString output = runTool(QStringLiteral("xdotool"), arguments);
        qputenv("DISPLAY", testDisplay);
        return output;
    };
    KopixProcess kopix;
    kopix.setDisplay(own.display());
    kopix.writeFile(QStringLiteral("Kopix.ini"), settings);
    ASSERT_TRUE(kopix.start({kopix.writeFile(QStringLiteral("doc.txt"), document)}));
    QString window;
    ASSERT_TRUE(waitFor(
        [&] {
            window = onOwn({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                            QStringLiteral("--name"), QStringLiteral("^doc.txt - Kopix$")})
                         .section(u'\n', 0, 0);
            return !window.isEmpty();
        },
        10000))
        << kopix.errorOutput().constData();
    onOwn({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    onOwn({QStringLiteral("key"), QStringLiteral("--window"), window, QStringLiteral("ctrl+Tab")});
    pumpEvents(300);
    onOwn({QStringLiteral("key"), QStringLiteral("End")});
    onOwn({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("XYZ")});
    pumpEvents(300);

    own.stopServer();
    ASSERT_TRUE(kopix.waitForExit(5000)) << "Kopix is still running";
    EXPECT_EQ(kopix.readFile(QStringLiteral("doc.txt")), QByteArray("alphaXYZ\r\nbeta\r\ngamma\r\n"));
    EXPECT_TRUE(kopix.readFile(QStringLiteral("Kopix.ini")).contains("A_W=")) << "the settings were written";
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEnd,
                         ::testing::Values(SignalCase{"SIGTERM", SIGTERM}, SignalCase{"SIGHUP", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kopix::test
