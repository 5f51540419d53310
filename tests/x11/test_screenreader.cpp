// What a screen reader hears, read over AT-SPI as Orca reads it, on a session bus of the test's own: the
// window's and the settings dialog's objects with their names, states and keys, and the events that
// tell of a copy from another program, a copy by Enter and a find that matches nothing.
#include "support/EventWait.h"
#include "support/KopixProcess.h"
#include "support/XServer.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace kopix::test {
namespace {

using namespace Qt::StringLiterals;

const QString python = u"/usr/bin/python3"_s;

class ScreenReader : public ::testing::Test {
protected:
    void SetUp() override {
        if (QProcess::execute(python, {u"-c"_s, u"import pyatspi"_s}) != 0)
            GTEST_SKIP() << "python3-pyatspi is not installed (scripts/install-deps.sh test)";
        if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        m_bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        ASSERT_TRUE(waitFor([this] { return m_bus.canReadLine(); }, 5000)) << "no session bus";
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        kopix.setEnvironment(u"DBUS_SESSION_BUS_ADDRESS"_s, m_address);
        kopix.setEnvironment(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    }
    void TearDown() override {
        if (m_listener.state() != QProcess::NotRunning) {
            m_listener.kill();
            m_listener.waitForFinished();
        }
        if (kopix.process().state() != QProcess::NotRunning) {
            kopix.process().kill();
            kopix.process().waitForFinished();
        }
        m_bus.terminate(); // the accessibility bus it started ends with it
        m_bus.waitForFinished();
    }
    QProcessEnvironment probeEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_address);
        return environment;
    }
    // Every object of Kopix as the probe prints it: depth|role|name|description|keys|enabled.
    QStringList walk() const {
        QProcess probe;
        probe.setProcessEnvironment(probeEnvironment());
        probe.start(python, {QStringLiteral(KOPIX_SCREENREADER_PROBE), u"walk"_s});
        probe.waitForFinished(30000);
        return QString::fromUtf8(probe.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    void startListening() {
        m_listener.setProcessEnvironment(probeEnvironment());
        m_listener.start(python, {QStringLiteral(KOPIX_SCREENREADER_PROBE), u"listen"_s, u"60"_s});
        ASSERT_TRUE(waitFor([this] { return heardSoFar().contains(u"ready\n"_s); }, 10000));
    }
    QString heardSoFar() {
        m_heard += QString::fromUtf8(m_listener.readAllStandardOutput());
        return m_heard;
    }
    // Waits for an event line the probe prints, as "kind|role|what was said".
    bool hears(const QString& line) {
        return waitFor([&] { return heardSoFar().contains(u'\n' + line + u'\n'); }, 5000);
    }
    static bool has(const QStringList& objects, const QString& pattern) {
        const QRegularExpression wanted(u"^\\d+\\|"_s + pattern + u'$');
        return std::any_of(objects.begin(), objects.end(),
                           [&](const QString& object) { return wanted.match(object).hasMatch(); });
    }

    KopixProcess kopix;

private:
    QProcess m_bus;
    QString m_address;
    QProcess m_listener;
    QString m_heard;
};

TEST_F(ScreenReader, HearsTheRowsThePanelsTheStripsTheMenusAndTheSettingsPages) {
    kopix.writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    ASSERT_TRUE(kopix.start({kopix.writeFile(u"doc.txt"_s, "first row\r\nhttp://x\r\n")}));
    const unsigned long window = kopix.waitForWindow(u"doc.txt - Kopix"_s);
    ASSERT_NE(window, 0u) << kopix.errorOutput().constData();
    ASSERT_TRUE(xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(window)}));

    QStringList objects = walk();
    ASSERT_NE(objects.value(0), u"missing"_s) << "Kopix never joined the accessibility bus";
    const auto dump = [&objects] { return objects.join(u'\n').toStdString(); };
    EXPECT_TRUE(has(objects, u"list item\\|first row\\|.*"_s)) << dump();
    EXPECT_TRUE(has(objects, u"frame\\|NumLock (オン|オフ)\\|.*"_s)) << dump();
    EXPECT_TRUE(has(objects, u"frame\\|左のコピー帯\\|.*"_s)) << dump();
    EXPECT_TRUE(has(objects, u"page tab\\|訂正\\|.*\\|enabled"_s)) << dump();

    ASSERT_NO_FATAL_FAILURE(startListening());
    // Another program copies: the preview's new text is heard.
    QProcess xclip;
    xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s});
    xclip.write("stock text");
    xclip.closeWriteChannel();
    EXPECT_TRUE(hears(u"object:property-change:accessible-name|frame|クリップボードの内容：stock text"_s))
        << heardSoFar().toStdString();
    // A row copied by Enter: the strips say it, and the preview has the row.
    ASSERT_TRUE(xdotool({u"key"_s, u"Down"_s, u"Return"_s}));
    EXPECT_TRUE(hears(u"object:property-change:accessible-name|frame|左のコピー帯：コピーしました"_s))
        << heardSoFar().toStdString();
    EXPECT_TRUE(hears(u"object:property-change:accessible-name|frame|クリップボードの内容：http://x"_s));
    // A find that matches nothing is said where the focus is.
    ASSERT_TRUE(xdotool({u"key"_s, u"ctrl+f"_s}));
    ASSERT_TRUE(xdotool({u"type"_s, u"zq"_s}));
    EXPECT_TRUE(hears(u"object:property-change:accessible-description|text|「z」はどの行にもありません"_s))
        << heardSoFar().toStdString();
    ASSERT_TRUE(xdotool({u"key"_s, u"Escape"_s}));

    EXPECT_FALSE(heardSoFar().contains(u"focused|page tab list"_s))
        << "the focus went back to the list at once";
    // The list's menu, its first item taking the focus: its name without its key, the key as its binding.
    ASSERT_TRUE(xdotool({u"key"_s, u"shift+F10"_s}));
    ASSERT_TRUE(xdotool({u"key"_s, u"Down"_s}));
    EXPECT_TRUE(waitFor(
        [&] {
            return heardSoFar().contains(QRegularExpression(
                u"\nobject:state-changed:focused\\|menu item\\|開く\\(O\\)\\.\\.\\.\\|[^\n]*Ctrl\\+O"_s));
        },
        5000))
        << heardSoFar().toStdString();
    // Its settings item: the dialog's page selectors are page tabs in a page tab list.
    ASSERT_TRUE(xdotool({u"key"_s, u"t"_s}));
    ASSERT_TRUE(waitFor(
        [&] { return has(objects = walk(), u"page tab list\\|.*"_s) && has(objects, u"dialog\\|.*"_s); },
        5000))
        << dump();
    EXPECT_EQ(objects.filter(QRegularExpression(u"^\\d+\\|page tab\\|"_s)).size(), 2 + 6) << dump();
    EXPECT_FALSE(has(objects, u"check box\\|(文字の大きさ|強調１|強調２|強調３|編集ソフト|貼り付け)\\|.*"_s))
        << dump();
    ASSERT_TRUE(xdotool({u"key"_s, u"Escape"_s}));
}

TEST_F(ScreenReader, TheGreyedCorrectionTabSaysSo) {
    // A first run without a sample: no document, nothing to correct.
    ASSERT_TRUE(kopix.start({}));
    ASSERT_NE(kopix.waitForWindow(u"Kopix"_s), 0u) << kopix.errorOutput().constData();
    const QStringList objects = walk();
    EXPECT_TRUE(has(objects, u"page tab\\|訂正（使用不可）\\|.*"_s)) << objects.join(u'\n').toStdString();
}

} // namespace
} // namespace kopix::test
