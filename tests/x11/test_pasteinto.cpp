// From another program to the pasted phrase by keyboard: the phrase pasted into the window the user came
// from, and the global key that brings Kopix up and goes back. A target program of the tests takes the paste.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"
#include "mainwin/StatusPanel.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

// The real desktop, with the message boxes recorded and answered at once.
class RecordingDesktop : public LinuxPlatform {
public:
    QStringList messages;
    int showMessage(const MessageRequest& request) override {
        messages.append(request.text);
        return mrOk;
    }
};

// The target program: a line edit that prints its text whenever it changes.
class PasteTargetProgram {
public:
    explicit PasteTargetProgram(const QStringList& arguments = {}) {
        m_process.start(QStringLiteral(KOPIX_PASTE_TARGET), arguments);
        m_process.waitForStarted(5000);
    }
    ~PasteTargetProgram() { end(); }
    void end() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    // Waits for its window and makes it the active one, as the user working in it.
    bool activate() {
        waitFor([this] {
            m_window = runTool(u"xdotool"_s,
                               {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Kopix paste target$"_s})
                           .section(u'\n', 0, 0)
                           .toULong();
            return m_window != 0;
        });
        if (m_window == 0)
            return false;
        xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(m_window)});
        return waitFor([this] { return isActive(); });
    }
    bool isActive() const {
        return runTool(u"xdotool"_s, {u"getactivewindow"_s}).trimmed() == QString::number(m_window);
    }
    // The edit's text as last printed.
    QString text() {
        m_output += m_process.readAllStandardOutput();
        const QList<QByteArray> lines = m_output.split('\n');
        for (auto line = lines.rbegin(); line != lines.rend(); ++line)
            if (line->startsWith("text:"))
                return QString::fromUtf8(line->mid(5));
        return QString();
    }

private:
    QProcess m_process;
    QByteArray m_output;
    unsigned long m_window = 0;
};

class PasteInto : public RealKopixFixture {
protected:
    void SetUp() override {
        RealKopixFixture::SetUp();
        desktop = &recording;
    }
    QStringList rowAt(int row) const {
        const QRect rect = window->LBox->visualRect(window->LBox->model()->index(row, 0));
        return at(window->LBox->viewport(), QPoint(20, rect.center().y()));
    }
    // Comes back to Kopix from the target with a click on a row, as the user does.
    void clickRow(int row) {
        xdotool(QStringList{u"mousemove"_s} + rowAt(row) + QStringList{u"click"_s, u"1"_s});
        ASSERT_TRUE(waitFor([this] { return window->isActiveWindow(); }));
    }
    bool kopixActive() const {
        return runTool(u"xdotool"_s, {u"getactivewindow"_s}).trimmed() == QString::number(windowId());
    }

    RecordingDesktop recording;
};

const QByteArray document = "いつもお世話になっております。\r\nhttps://example.com/a?b=1&c=2\r\n";

struct PasteCase {
    const char* name;
    const char* pasteKey;
    const char* targetOption;
    bool bySlide; // the copy by sliding onto a strip, else by Enter
};

class PasteIntoTargets : public PasteInto, public ::testing::WithParamInterface<PasteCase> {};

TEST_P(PasteIntoTargets, TheChosenRowsExactTextArrivesInTheWindowTheUserCameFrom) {
    const PasteCase& c = GetParam();
    startFramed(document, QByteArray("[fC]\r\nA_L=100\r\nA_T=100\r\n[Kopix]\r\nPasteInto=1\r\nPasteKey=") +
                              c.pasteKey + "\r\n");
    PasteTargetProgram target(c.targetOption[0] ? QStringList{QString::fromLatin1(c.targetOption)}
                                                : QStringList{});
    ASSERT_TRUE(target.activate());
    for (int row = 0; row < 2; ++row) {
        ASSERT_NO_FATAL_FAILURE(clickRow(row));
        // Text left selected in Kopix (its find box, say) is not what a paste by Shift+Insert brings.
        QGuiApplication::clipboard()->setText(u"left selected"_s, QClipboard::Selection);
        if (c.bySlide)
            xdotool(QStringList{u"mousemove"_s} + at(window->Pnl2, QPoint(8, 40)));
        else
            xdotool({u"key"_s, u"Return"_s});
        const QString expected = QString::fromUtf8(document.split('\r').value(row).trimmed());
        ASSERT_TRUE(waitFor([&] { return target.text().endsWith(expected); }, 4000))
            << "the target has: " << target.text().toStdString();
        if (row == 0) {
            EXPECT_EQ(target.text(), expected) << "exactly the row, nothing before or after it";
        }
        EXPECT_TRUE(target.isActive());
        EXPECT_TRUE(netWmState(windowId()).contains(u"_NET_WM_STATE_ABOVE"_s)) << "Kopix stays on top";
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, PasteIntoTargets,
                         ::testing::Values(PasteCase{"ctrl_v_by_enter", "Ctrl+V", "", false},
                                           PasteCase{"shift_insert_like_xterm_by_slide", "Shift+Insert",
                                                     "--like-xterm", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PasteInto, ATargetThatHasGoneGetsNothingAndTheStatusBarSaysSo) {
    startFramed(document, "[Kopix]\r\nPasteInto=1\r\n");
    PasteTargetProgram target;
    ASSERT_TRUE(target.activate());
    ASSERT_NO_FATAL_FAILURE(clickRow(0));
    target.end();
    xdotool({u"key"_s, u"Return"_s});
    EXPECT_TRUE(waitFor([this] { return window->SBarPanels[1]->shownText().contains(u"もうない"_s); }, 3000))
        << window->SBarPanels[1]->shownText().toStdString();
    EXPECT_TRUE(kopixActive());
}

TEST_F(PasteInto, TheGlobalKeyRaisesKopixAndThenGoesBackWhateverTheLocks) {
    startFramed(document, "[Kopix]\r\nGlobalKey=Ctrl+Alt+K\r\n");
    PasteTargetProgram target;
    ASSERT_TRUE(target.activate());
    // CapsLock on for the first press, off for the second: the key works in every lock state.
    xdotool({u"key"_s, u"Caps_Lock"_s});
    xdotool({u"key"_s, u"ctrl+alt+k"_s});
    xdotool({u"key"_s, u"Caps_Lock"_s});
    EXPECT_TRUE(waitFor([this] { return kopixActive(); }, 3000));
    xdotool({u"key"_s, u"ctrl+alt+k"_s});
    EXPECT_TRUE(waitFor([&] { return target.isActive(); }, 3000));
    EXPECT_EQ(target.text(), QString()) << "the key itself reaches no program";
    EXPECT_TRUE(recording.messages.isEmpty()) << recording.messages.join(u'\n').toStdString();
}

TEST_F(PasteInto, HoldingTheGlobalKeyDownActsOnce) {
    startFramed(document, "[Kopix]\r\nGlobalKey=Ctrl+Alt+K\r\n");
    PasteTargetProgram target;
    ASSERT_TRUE(target.activate());
    // Held past the keyboard's repeat delay: the key repeats, and no repeat may toggle again, neither
    // while it is held nor once it is let go.
    ASSERT_TRUE(waitFor([this] { return !kopixActive(); })) << "Kopix has seen the focus go";
    int changes = 0;
    bool active = false;
    const auto watch = [&](int ms) {
        QElapsedTimer watching;
        watching.start();
        while (watching.elapsed() < ms) {
            QTest::qWait(20);
            if (kopixActive() != active) {
                active = !active;
                ++changes;
            }
        }
    };
    xdotool({u"keydown"_s, u"ctrl+alt+k"_s});
    watch(1500);
    xdotool({u"keyup"_s, u"ctrl+alt+k"_s});
    watch(500);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(kopixActive());
}

// The user switches the keyboard's layout while Kopix runs: the paste key and the global key are found in
// the new layout, and a paste key the layout has no key for is typed nowhere.
TEST_F(PasteInto, TheKeysFollowALayoutSwitchedWhileKopixRuns) {
    startFramed(document, "[fC]\r\nA_L=100\r\nA_T=100\r\n[Kopix]\r\nPasteInto=1\r\nPasteKey=Ctrl+V\r\n"
                          "GlobalKey=Ctrl+Alt+K\r\n");
    PasteTargetProgram target;
    ASSERT_TRUE(target.activate());
    runTool(u"setxkbmap"_s, {u"-layout"_s, u"us"_s, u"-variant"_s, u"dvorak"_s});
    // The key marked K in Dvorak brings Kopix up, pressed again until Kopix has heard of the switch.
    ASSERT_TRUE(waitFor(
        [&] {
            xdotool({u"key"_s, u"ctrl+alt+k"_s});
            return waitFor([this] { return kopixActive(); }, 500);
        },
        5000));
    ASSERT_NO_FATAL_FAILURE(clickRow(0));
    xdotool({u"key"_s, u"Return"_s});
    const QString first = QString::fromUtf8(document.split('\r').value(0));
    EXPECT_TRUE(waitFor([&] { return target.text() == first; }, 4000))
        << "Ctrl+V, not the key that was V before the switch: " << target.text().toStdString();

    runTool(u"setxkbmap"_s, {u"-layout"_s, u"ru"_s});
    ASSERT_NO_FATAL_FAILURE(clickRow(1));
    xdotool({u"key"_s, u"Return"_s});
    EXPECT_TRUE(waitFor([this] { return window->SBarPanels[1]->shownText().contains(u"キー配列"_s); }, 3000))
        << window->SBarPanels[1]->shownText().toStdString();
    EXPECT_TRUE(kopixActive()) << "nothing typed, and Kopix stays in front";
    EXPECT_EQ(target.text(), first);
}

TEST_F(PasteInto, AKeyAnotherProgramHasTakenIsNamedInAMessage) {
    // Another client of the X server takes Ctrl+Alt+K first.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XGrabKey(other, XKeysymToKeycode(other, XK_k), ControlMask | Mod1Mask, DefaultRootWindow(other), False,
             GrabModeAsync, GrabModeAsync);
    XSync(other, False);
    startFramed(document, "[Kopix]\r\nGlobalKey=Ctrl+Alt+K\r\n");
    EXPECT_TRUE(waitFor([this] { return !recording.messages.isEmpty(); }, 3000));
    ASSERT_EQ(recording.messages.size(), 1);
    EXPECT_TRUE(recording.messages[0].startsWith(u"Ctrl+Alt+K を Kopix を呼び出すキーにできません。"_s))
        << recording.messages[0].toStdString();
    EXPECT_TRUE(recording.messages[0].contains(u"他のプログラム"_s));
    XCloseDisplay(other);
}

} // namespace
