// The last copy outlives Kopix: taken over by the desktop's clipboard manager, or, without one, by a
// small serving process of Kopix's own that ends when another program copies.
#include "support/EventWait.h"
#include "support/KopixProcess.h"
#include "support/TestClipboardManager.h"
#include "support/XServer.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

namespace kopix::test {
namespace {

class ClipboardAfterExit : public ::testing::Test {
protected:
    void TearDown() override {
        // Whatever a case left serving goes when this program copies.
        QGuiApplication::clipboard()->setText(QStringLiteral("end of case"));
        waitFor([this] { return kopix.clipboardServers().isEmpty(); }, 3000);
    }
    // Starts Kopix on a document, copies its second row with the keyboard and closes with Esc; while
    // running runs before the close.
    void copySecondRowAndClose(const QByteArray& document = "alpha\r\nbeta 日本語\r\ngamma\r\n",
                               const std::function<void()>& whileRunning = {}) {
        kopix.writeFile(QStringLiteral("Kopix.ini"), "[fC]\r\nA_L=100\r\nA_T=100\r\n");
        const QString path = kopix.writeFile(QStringLiteral("doc.txt"), document);
        ASSERT_TRUE(kopix.start({path}));
        const unsigned long window = kopix.waitForWindow(QStringLiteral("doc.txt - Kopix"));
        ASSERT_NE(window, 0u) << kopix.errorOutput().constData();
        ASSERT_TRUE(
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)}));
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return")}));
        ASSERT_TRUE(waitFor([] { return clipboardBytes() == "beta 日本語"; }));
        if (whileRunning)
            whileRunning();
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        ASSERT_TRUE(kopix.waitForExit(3000)) << "Kopix is still running";
        EXPECT_EQ(kopix.process().exitCode(), 0);
    }

    KopixProcess kopix;
};

TEST_F(ClipboardAfterExit, WithoutAManagerAServerKeepsTheTextUntilAnotherProgramCopies) {
    const auto target = [](const char* name) {
        return runTool(QStringLiteral("xclip"),
                       {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                        QStringLiteral("-t"), QString::fromLatin1(name)});
    };
    // Kopix itself gives TEXT whole, and STRING, which is Latin-1, not at all rather than with "?".
    ASSERT_NO_FATAL_FAILURE(copySecondRowAndClose("alpha\r\nbeta 日本語\r\ngamma\r\n", [&target] {
        EXPECT_EQ(target("TEXT"), QStringLiteral("beta 日本語"));
        EXPECT_EQ(target("STRING"), QString());
    }));
    // So does the server after it; STRING is not even offered there.
    EXPECT_EQ(target("UTF8_STRING"), QStringLiteral("beta 日本語"));
    EXPECT_EQ(target("TEXT"), QStringLiteral("beta 日本語"));
    EXPECT_EQ(target("STRING"), QString());
    EXPECT_FALSE(target("TARGETS").split(u'\n').contains(QStringLiteral("STRING")));
    ASSERT_EQ(kopix.clipboardServers().size(), 1);
    QGuiApplication::clipboard()->setText(QStringLiteral("another program's copy"));
    EXPECT_TRUE(waitFor([this] { return kopix.clipboardServers().isEmpty(); }, 3000))
        << "the server ends once another program copies";
}

// The server outlives Kopix, so it must not hold what Kopix was started with: a shell reading Kopix's
// output (out=$(kopix ...)) or another descriptor it was given (5>fifo) would wait for it, and its
// folder (a removable drive, say) could not go.
TEST_F(ClipboardAfterExit, TheServerHoldsNeitherKopixsOutputNorItsFolder) {
    int given[2];
    ASSERT_EQ(::pipe(given), 0); // inherited by Kopix, as a shell's redirection is
    ASSERT_NO_FATAL_FAILURE(copySecondRowAndClose());
    ::close(given[0]);
    ::close(given[1]);
    const QList<qint64> servers = kopix.clipboardServers();
    ASSERT_EQ(servers.size(), 1);
    const QString process = QStringLiteral("/proc/%1/").arg(servers.first());
    for (const char* descriptor : {"fd/0", "fd/1", "fd/2"})
        EXPECT_EQ(QFile::symLinkTarget(process + QLatin1String(descriptor)).toStdString(), "/dev/null")
            << descriptor;
    // Beyond those, only its connection to the X server.
    const QFileInfoList open = QDir(process + QStringLiteral("fd"))
                                   .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& descriptor : open) {
        if (descriptor.fileName().toInt() > 2) {
            EXPECT_TRUE(descriptor.symLinkTarget().contains(QStringLiteral("socket:")))
                << descriptor.fileName().toStdString() << " " << descriptor.symLinkTarget().toStdString();
        }
    }
    EXPECT_EQ(QFile::symLinkTarget(process + QStringLiteral("cwd")).toStdString(), "/");
}

TEST_F(ClipboardAfterExit, ALongTextComesThroughWhole) {
    // Far more than one request may carry: the server hands it over in pieces.
    QByteArray document;
    for (int i = 0; i < 120000; ++i)
        document += "row " + QByteArray::number(i) + " テキスト\r\n";
    document = "before\r\n" + document.replace("\r\n", "\t") + "\r\nafter\r\n";
    kopix.writeFile(QStringLiteral("Kopix.ini"), "[fC]\r\nA_L=100\r\nA_T=100\r\n");
    const QString path = kopix.writeFile(QStringLiteral("doc.txt"), document);
    ASSERT_TRUE(kopix.start({path}));
    const unsigned long window = kopix.waitForWindow(QStringLiteral("doc.txt - Kopix"));
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)}));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return")}));
    const QByteArray row = document.split('\n')[1].chopped(1);
    ASSERT_GT(row.size(), 2 * 1024 * 1024);
    ASSERT_TRUE(waitFor([&] { return clipboardBytes().size() == row.size(); }, 10000));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    ASSERT_TRUE(kopix.waitForExit(5000));
    EXPECT_TRUE(clipboardBytes() == row);
}

TEST_F(ClipboardAfterExit, AManagerTakesTheTextOverAndNoProcessStaysBehind) {
    TestClipboardManager manager;
    ASSERT_TRUE(manager.start());
    ASSERT_NO_FATAL_FAILURE(copySecondRowAndClose());
    EXPECT_EQ(manager.requests(), 1);
    EXPECT_EQ(manager.savedText(), QByteArray("beta 日本語"));
    EXPECT_TRUE(kopix.clipboardServers().isEmpty());
    EXPECT_EQ(clipboardBytes(), QByteArray("beta 日本語"));
}

TEST_F(ClipboardAfterExit, AManagerThatNeverAnswersIsNotWaitedForAndTheServerStepsIn) {
    TestClipboardManager manager(TestClipboardManager::Behaviour::Silent);
    ASSERT_TRUE(manager.start());
    ASSERT_NO_FATAL_FAILURE(copySecondRowAndClose());
    EXPECT_EQ(manager.requests(), 1);
    EXPECT_EQ(kopix.clipboardServers().size(), 1);
    EXPECT_EQ(clipboardBytes(), QByteArray("beta 日本語"));
}

TEST_F(ClipboardAfterExit, NothingIsKeptWhenAnotherProgramOwnsTheClipboard) {
    ASSERT_NO_FATAL_FAILURE(copySecondRowAndClose());
    QGuiApplication::clipboard()->setText(QStringLiteral("theirs"));
    ASSERT_TRUE(waitFor([this] { return kopix.clipboardServers().isEmpty(); }, 3000));
    // A second run that copies nothing leaves the other program's text alone and starts no server.
    KopixProcess second;
    second.writeFile(QStringLiteral("Kopix.ini"), "[fC]\r\nA_L=100\r\nA_T=100\r\n");
    ASSERT_TRUE(second.start({second.writeFile(QStringLiteral("doc.txt"), "x\r\n")}));
    const unsigned long window = second.waitForWindow(QStringLiteral("doc.txt - Kopix"));
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)}));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    ASSERT_TRUE(second.waitForExit(3000));
    EXPECT_TRUE(second.clipboardServers().isEmpty());
    EXPECT_EQ(clipboardBytes(), QByteArray("theirs"));
}

} // namespace
} // namespace kopix::test
