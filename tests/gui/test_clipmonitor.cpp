// The status bar offscreen, with the recording desktop: its make-up, the clipboard preview for each kind
// of content, read failures and the NumLock panel.
#include "support/KopixFixture.h"

#include "mainwin/DocumentListView.h"
#include "mainwin/Fonts.h"
#include "mainwin/StatusPanel.h"
#include "platform/LinuxPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class StatusBar : public KopixFixture {
protected:
    void SetUp() override {
        KopixFixture::SetUp();
        QGuiApplication::clipboard()->setText(u"at start"_s);
    }
    void startOnRows() {
        start(writeFile(u"doc.txt"_s, "A\r\nB\r\nC\r\n"));
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    StatusPanel* panel(int i) const { return window->findChild<StatusPanel*>(u"SBarPanel%1"_s.arg(i)); }
    QString preview() const { return panel(1)->text(); }
    static QMimeData* mime(const QList<std::pair<QString, QByteArray>>& formats) {
        auto* data = new QMimeData;
        for (const auto& [format, bytes] : formats)
            data->setData(format, bytes);
        return data;
    }
};

TEST_F(StatusBar, MadeUpAsDesigned) {
    platform.numLock.reset(); // a desktop that cannot tell: the panel keeps its text from creation
    startOnRows();
    auto* bar = window->findChild<QStatusBar*>(u"SBar"_s);
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->height(), 19);
    EXPECT_TRUE(bar->isSizeGripEnabled());
    EXPECT_EQ(bar->toolTip(), u"「Num」Lockオン、現クリップボード"_s);
    EXPECT_EQ(bar->font().families(), designFont(ListFace, 14).families()) << "the list's face";
    EXPECT_EQ(bar->font().pixelSize(), 14);
    EXPECT_EQ(panel(0)->text(), u" Num"_s);
    EXPECT_EQ(panel(0)->width(), 35);
    EXPECT_EQ(panel(0)->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(panel(1)->frameShadow(), QFrame::Sunken);
    // The preview panel fills the rest of the bar, the size grip over its corner.
    EXPECT_EQ(panel(0)->x(), 0);
    EXPECT_EQ(panel(1)->x(), 35);
    EXPECT_EQ(panel(1)->width(), bar->width() - 35);
}

TEST_F(StatusBar, ShowsTheClipboardAtStartAndEveryChangeAfter) {
    startOnRows();
    EXPECT_EQ(preview(), u"at start"_s);
    struct Change {
        QString text;
        QString shown;
    } changes[] = {
        {u"abcdefghijklmno"_s, u"abcdefghijklmno"_s},
        {u"abcdefghijklmnop"_s, u" abcdefghijklmno…"_s},
        {u"first\r\nsecond"_s, u" first…"_s},
        {u"one\ntwo"_s, u"one\ntwo"_s},
        {u""_s, u""_s},
    };
    for (const Change& change : changes) {
        QGuiApplication::clipboard()->setText(change.text);
        EXPECT_EQ(preview(), change.shown) << change.text.toStdString();
    }
}

// The preview is one line whatever it holds, and at the window's own sizes the whole of it shows, "…"
// included, also for 16 full-width characters.
TEST_F(StatusBar, TheWholePreviewShowsOnOneLine) {
    startOnRows();
    ASSERT_EQ(window->width(), TfC::DesignClientWidth);
    QGuiApplication::clipboard()->setText(u"line1\nline2"_s);
    EXPECT_EQ(preview(), u"line1\nline2"_s);
    EXPECT_EQ(panel(1)->shownText(), u"line1↵line2"_s) << "the line feed shows, on the same line";
    EXPECT_TRUE(panel(1)->showsWholeText());
    QGuiApplication::clipboard()->setText(u"あいうえおかきくけこさしすせそた"_s);
    EXPECT_EQ(preview(), u" あいうえおかきくけこさしすせそ…"_s);
    EXPECT_TRUE(panel(1)->showsWholeText())
        << panel(1)->contentsRect().width() << " for "
        << panel(1)->fontMetrics().horizontalAdvance(panel(1)->shownText());
}

// A note (a paste that was dropped) hides the preview for a few seconds; then the preview is back, as the
// clipboard is by then.
TEST_F(StatusBar, ANoteGivesWayToThePreviewOfTheClipboardAsItIsThen) {
    startOnRows();
    QElapsedTimer shown;
    shown.start();
    panel(1)->showNote(u"note"_s);
    QGuiApplication::clipboard()->setText(u"newer"_s);
    EXPECT_EQ(panel(1)->shownText(), u"note"_s);
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel(1)->shownText() != u"note"_s; }, 10000));
    EXPECT_GE(shown.elapsed(), 2000) << "long enough to be read";
    EXPECT_EQ(panel(1)->shownText(), u"newer"_s);
}

TEST_F(StatusBar, ContentWithoutTextShowsNotApplicable) {
    startOnRows();
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_EQ(preview(), u"（対象外）"_s);
    QGuiApplication::clipboard()->setText(u"text again"_s);
    EXPECT_EQ(preview(), u"text again"_s);
    QGuiApplication::clipboard()->setMimeData(mime({{u"text/uri-list"_s, "file:///tmp/a.txt\r\n"}}));
    EXPECT_EQ(preview(), u"（対象外）"_s) << "a list of files is no text";
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(preview(), u"（対象外）"_s);
}

TEST_F(StatusBar, SecretTextIsNeverShown) {
    startOnRows();
    QGuiApplication::clipboard()->setMimeData(
        mime({{u"text/plain"_s, "hunter2"}, {u"x-kde-passwordManagerHint"_s, "secret"}}));
    EXPECT_EQ(preview(), u"（非表示）"_s);
    EXPECT_FALSE(panel(1)->text().contains(u"hunter2"_s));
    // Only the value "secret" hides.
    QGuiApplication::clipboard()->setMimeData(
        mime({{u"text/plain"_s, "shown"}, {u"x-kde-passwordManagerHint"_s, "public"}}));
    EXPECT_EQ(preview(), u"shown"_s);
}

TEST_F(StatusBar, ReadFailureIsToldInThePanelWithoutABox) {
    startOnRows();
    ASSERT_EQ(preview(), u"at start"_s);
    platform.clipboardAnswer = ClipboardContent::failed(u"Connection timed out"_s);
    QGuiApplication::clipboard()->setText(u"unreadable"_s);
    EXPECT_EQ(preview(), u"クリップボード Connection timed out を開けません"_s);
    EXPECT_TRUE(platform.errorBoxes.isEmpty())
        << "a box would take the keys of the program the user types in";
    platform.clipboardAnswer.reset();
    QGuiApplication::clipboard()->setText(u"readable"_s);
    EXPECT_EQ(preview(), u"readable"_s);
}

TEST_F(StatusBar, OwnCopyShowsItsFirstRowDecorated) {
    startOnRows();
    window->LBox->selectAll();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window->LBox, &enter);
    ASSERT_EQ(window->copyState(), TSTS::SelC);
    EXPECT_EQ(preview(), u" A…"_s);
}

TEST_F(StatusBar, NumLockPanelFollowsTheDesktop) {
    platform.numLock = false;
    startOnRows();
    EXPECT_EQ(panel(0)->text(), QString()) << "read once at start";
    ASSERT_TRUE(platform.numLockWatcher);
    platform.numLock = true;
    platform.numLockWatcher();
    EXPECT_EQ(panel(0)->text(), u" Num"_s);
    platform.numLock = false;
    platform.numLockWatcher();
    EXPECT_EQ(panel(0)->text(), QString());
    platform.numLock.reset();
    platform.numLockWatcher();
    EXPECT_EQ(panel(0)->text(), QString()) << "a desktop that cannot tell changes nothing";
}

TEST_F(StatusBar, AClosedWindowNoLongerWatches) {
    startOnRows();
    const int reads = platform.clipboardReads;
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_FALSE(platform.numLockWatcher) << "the desktop no longer calls into a window that is gone";
    QGuiApplication::clipboard()->setText(u"after the window"_s);
    EXPECT_EQ(platform.clipboardReads, reads);
}

TEST_F(StatusBar, TheRealDesktopWithoutAnXDisplayKnowsNoNumLockAndReadsInProcess) {
    LinuxPlatform linux;
    desktop = &linux;
    startOnRows();
    EXPECT_EQ(linux.numLockOn(), std::nullopt);
    EXPECT_EQ(panel(0)->text(), u" Num"_s) << "left as it was made";
    EXPECT_EQ(preview(), u"at start"_s);
    QGuiApplication::clipboard()->setText(u"offscreen\ttext"_s);
    EXPECT_EQ(preview(), u" offscreen…"_s);
    ASSERT_TRUE(closeAndDestroy());
}

} // namespace
