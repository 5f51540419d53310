// The correction tab with the real keyboard and the real clipboard.
#include "support/RealKopixFixture.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "platform/MessageDialog.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

// X11 comes last: its macros (None, Bool) break Qt's headers.
#include "support/ClipboardOwners.h"

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealCorrection : public RealKopixFixture {
protected:
    void TearDown() override {
        RealKopixFixture::TearDown();
        xclipIn("reset"); // an answering owner for the next case
    }
    void clickTab(int index) {
        QTabBar* tabs = window->PageControl1->tabBar();
        xdotool(QStringList{u"mousemove"_s} + at(tabs, tabs->tabRect(index).center()) +
                QStringList{u"click"_s, u"1"_s});
    }
    void enterTheTab() {
        clickTab(1);
        ASSERT_TRUE(waitFor([this] { return window->Memo1()->hasFocus(); }));
    }
};

TEST_F(RealCorrection, ALineTypedInTheEditorReachesTheFileTheListAndTheBookmarks) {
    startFramed("first\r\nsecond\r\n");
    enterTheTab();
    // The star is on no key of the test keyboard: one is given it first, and Kopix is let see the new
    // keyboard map before the key is pressed.
    runTool(u"xmodmap"_s, {u"-e"_s, u"keycode 250 = U2606"_s});
    reachServer();
    xdotool({u"key"_s, u"ctrl+End"_s});
    xdotool({u"key"_s, u"U2606"_s});
    xdotool({u"type"_s, u"--delay"_s, u"20"_s, u" typed"_s});
    xdotool({u"key"_s, u"Return"_s});
    ASSERT_TRUE(waitFor([this] { return window->Memo1()->text().endsWith(u"☆ typed\r\n"_s); }))
        << window->Memo1()->text().toStdString();
    clickTab(0);
    ASSERT_TRUE(waitFor([this] { return rows().size() == 3; }));
    EXPECT_EQ(readFile(u"doc.txt"_s), QByteArray("first\r\nsecond\r\n☆ typed\r\n"));
    EXPECT_EQ(rows().last(), u"☆ typed"_s);
    EXPECT_EQ(window->LBox->indexAt(QPoint(0, 0)).row(), 0) << "the editor's top line";
    QAction* bookmark = window->findChild<QAction*>(u"ActSI0"_s);
    EXPECT_TRUE(bookmark->isVisible());
    EXPECT_EQ(bookmark->text(), u"(&A) ☆ typed"_s);
}

// The middle button pastes what is selected anywhere, as in every X11 program: another program's
// selection, and text selected in the editor itself.
TEST_F(RealCorrection, TheMiddleButtonPastesWhatIsSelectedAnywhere) {
    startFramed("first\r\nsecond\r\n");
    enterTheTab();
    CorrectionEditor* memo = window->Memo1();
    const auto middleClickAt = [&](int line, int index) {
        const long position = memo->positionFromLineIndex(line, index);
        const QPoint point(int(memo->SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, position)) + 1,
                           int(memo->SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0UL, position)) +
                               3);
        xdotool(QStringList{u"mousemove"_s} + at(memo->viewport(), point) + QStringList{u"click"_s, u"2"_s});
    };
    ASSERT_TRUE(xclipIn("picked ", QString(), u"primary"_s));
    middleClickAt(1, 0);
    ASSERT_TRUE(waitFor([&] { return memo->text() == u"first\r\npicked second\r\n"_s; }, 2000))
        << memo->text().toStdString();

    xdotool({u"key"_s, u"ctrl+Home"_s, u"shift+End"_s}); // "first", selected in the editor
    middleClickAt(1, 13);                                // the end of "picked second"
    EXPECT_TRUE(waitFor([&] { return memo->text() == u"first\r\npicked secondfirst\r\n"_s; }, 2000))
        << memo->text().toStdString();
}

TEST_F(RealCorrection, PastingFromAHungOwnerNeitherFreezesTheWindowNorPastesAnything) {
    startFramed("text\r\n");
    enterTheTab();
    MessageDialog::answerNextWith(mrOk); // the preview's read gives up and says so
    TestOwner hung({{"UTF8_STRING", "never"}}, TestOwner::Answers::Never);
    ASSERT_TRUE(hung.owns());
    pumpEvents(100);

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    ticker.start(5);
    xdotool({u"key"_s, u"ctrl+v"_s});
    pumpEvents(1300);
    std::printf("[ figures  ] paste from a hung owner: longest pause of the event loop %lld ms\n",
                static_cast<long long>(longestGap));
    EXPECT_LT(longestGap, 1000) << "the window keeps answering";
    EXPECT_EQ(window->Memo1()->text(), u"text\r\n"_s) << "nothing is pasted";
    EXPECT_FALSE(window->correctionsPending());

    ASSERT_TRUE(xclipIn("pasted "));
    xdotool({u"key"_s, u"ctrl+Home"_s});
    xdotool({u"key"_s, u"ctrl+v"_s});
    EXPECT_TRUE(waitFor([this] { return window->Memo1()->text() == u"pasted text\r\n"_s; }, 2000))
        << window->Memo1()->text().toStdString();
}

} // namespace
