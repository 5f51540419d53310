// Link launching offscreen, with real timers and the recording desktop: when the browser is called, with
// what, and the strips' colours through both waits.
#include "support/EventWait.h"
#include "support/KopixFixture.h"

#include "mainwin/DocumentListView.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFrame>
#include <QItemSelectionModel>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

enum Row {
    Https,
    Http,
    Upper,
    Blank,
    NoSeparator,
    FileName,
    Plain,
    Exactly300,
    Over300,
};

const QString url300 = u"https://example.com/"_s + QString(280, u'a');

class LinkLaunch : public KopixFixture {
protected:
    void SetUp() override {
        KopixFixture::SetUp();
        const QStringList rows{u"https://example.com/one"_s,
                               u"http://example.com/two"_s,
                               u"HTTP://example.com/upper"_s,
                               u" http://example.com/blank"_s,
                               u"httpfoo"_s,
                               u"http_notes.txt"_s,
                               u"plain row"_s,
                               url300,
                               url300 + u"b"_s};
        start(writeFile(u"doc.txt"_s, rows.join(u"\r\n"_s).toUtf8() + "\r\n"));
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        timer = window->findChild<QTimer*>(u"Timerhttp"_s);
        ASSERT_TRUE(timer);
    }
    QPoint rowCentre(int row) const {
        window->LBox->scrollTo(window->LBox->model()->index(row, 0));
        return window->LBox->visualRect(window->LBox->model()->index(row, 0)).center();
    }
    // A double-click as the user makes it: the first click presses the row, the second is the double-click.
    void doubleClick(int row) {
        const QPoint at = rowCentre(row);
        QTest::mouseClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    QStringList opened() const {
        QStringList urls;
        for (const QUrl& url : platform.openedUrls)
            urls.append(url.toString());
        return urls;
    }
    bool idle() const { return !timer->isActive(); }

    QTimer* timer = nullptr;
};

TEST_F(LinkLaunch, GreenAtOnceBrowserAfterTwentyMsAquaASecondLater) {
    QElapsedTimer clock;
    doubleClick(Https);
    clock.start();
    EXPECT_EQ(window->copyState(), TSTS::SelN) << "the first press armed the copy gesture";
    EXPECT_TRUE(stripsAre(green)) << "both strips turn green with the double-click";
    EXPECT_TRUE(platform.openedUrls.isEmpty()) << "not from inside the list's mouse handling";
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 20);

    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    const qint64 calledAt = clock.elapsed();
    EXPECT_GE(calledAt, 15);
    EXPECT_LT(calledAt, 500);
    EXPECT_EQ(opened(), QStringList{u"https://example.com/one"_s});
    EXPECT_TRUE(stripsAre(green));
    EXPECT_EQ(timer->interval(), 1000);

    ASSERT_TRUE(waitFor([this] { return stripsAre(aqua); }, 3000));
    const qint64 aquaAfterCall = clock.elapsed() - calledAt;
    EXPECT_GE(aquaAfterCall, 950);
    EXPECT_LT(aquaAfterCall, 1600);
    EXPECT_TRUE(idle());
    EXPECT_EQ(platform.openedUrls.size(), 1);
    EXPECT_EQ(window->copyState(), TSTS::SelN) << "the launch never changes the copy state";
}

TEST_F(LinkLaunch, ABrowserThatCannotBeStartedIsReportedAndTheStripsComeBack) {
    platform.launchesStart = false;
    doubleClick(Https);
    ASSERT_TRUE(waitFor([this] { return !platform.messages.isEmpty(); }, 2000));
    EXPECT_EQ(platform.messages.first().text,
              u"https://example.com/one\r\nを開けません。\r\n開くプログラムが見つかりません。"_s);
    ASSERT_TRUE(waitFor([this] { return stripsAre(aqua); }, 3000));
    EXPECT_EQ(platform.messages.size(), 1);
}

TEST_F(LinkLaunch, ReenteringSelectionDuringTheLaunchKeepsTheStripsGreen) {
    doubleClick(Http);
    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    // A cursor key selects (and enters the selection state again) during the showing wait.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(window->LBox, &down);
    EXPECT_EQ(window->copyState(), TSTS::SelN);
    EXPECT_TRUE(stripsAre(green));
    ASSERT_TRUE(waitFor([this] { return idle(); }, 3000));
    EXPECT_TRUE(stripsAre(aqua));
}

TEST_F(LinkLaunch, RowsThatAreNoLinksDoNothing) {
    for (Row row : {Upper, Blank, Plain}) {
        doubleClick(row);
        EXPECT_FALSE(timer->isActive()) << row;
        EXPECT_TRUE(stripsAre(aqua)) << row << ": the press armed the gesture; nothing turned green";
    }
    QTest::qWait(100);
    EXPECT_TRUE(platform.openedUrls.isEmpty());
}

TEST_F(LinkLaunch, LinkRowsThatAreNoWebAddressesFlashGreenButOpenNothing) {
    for (Row row : {NoSeparator, FileName, Over300}) {
        QElapsedTimer clock;
        doubleClick(row);
        clock.start();
        EXPECT_TRUE(stripsAre(green)) << row;
        ASSERT_TRUE(waitFor([this] { return timer->interval() == 1000; }, 2000)) << row;
        EXPECT_LT(clock.elapsed(), 500) << row;
        EXPECT_TRUE(stripsAre(green)) << row << ": same timing as a real launch";
        ASSERT_TRUE(waitFor([this] { return idle(); }, 3000)) << row;
        EXPECT_GE(clock.elapsed(), 950) << row;
        EXPECT_TRUE(stripsAre(aqua)) << row;
    }
    EXPECT_TRUE(platform.openedUrls.isEmpty()) << opened().join(u' ').toStdString();
}

TEST_F(LinkLaunch, ThreeHundredCharactersOpenWhole) {
    doubleClick(Exactly300);
    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    EXPECT_EQ(opened(), QStringList{url300});
}

TEST_F(LinkLaunch, ASecondLinkBeforeTheCallReplacesTheFirstAndKeepsTheShortWait) {
    doubleClick(Https);
    // No events run meanwhile, so the first wait cannot end before the second double-click.
    QThread::msleep(12);
    doubleClick(Http);
    EXPECT_LE(timer->remainingTime(), 12) << "the 20 ms wait already running goes on, it does not start over";
    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    ASSERT_TRUE(waitFor([this] { return idle(); }, 3000));
    EXPECT_EQ(opened(), QStringList{u"http://example.com/two"_s}) << "the older text is never opened";
}

TEST_F(LinkLaunch, ASecondLinkWhileShowingOpensBothTheSecondTwentyMsAfterItsDoubleClick) {
    doubleClick(Https);
    ASSERT_TRUE(waitFor([this] { return platform.openedUrls.size() == 1; }, 2000));
    QTest::qWait(200);
    QElapsedTimer clock;
    doubleClick(Http);
    clock.start();
    EXPECT_EQ(timer->interval(), 20) << "the showing wait is replaced by a fresh short one";
    ASSERT_TRUE(waitFor([this] { return platform.openedUrls.size() == 2; }, 2000));
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(opened(), (QStringList{u"https://example.com/one"_s, u"http://example.com/two"_s}));
    EXPECT_TRUE(stripsAre(green));
    ASSERT_TRUE(waitFor([this] { return idle(); }, 3000));
    EXPECT_GE(clock.elapsed(), 950) << "a full second of green after the second call";
    EXPECT_TRUE(stripsAre(aqua));
}

TEST_F(LinkLaunch, ANonLinkDoubleClickDuringALaunchChangesNothing) {
    doubleClick(Https);
    QThread::msleep(12);
    doubleClick(Plain);
    EXPECT_LE(timer->remainingTime(), 12);
    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    EXPECT_EQ(opened(), QStringList{u"https://example.com/one"_s}) << "the link's text is still the target";
}

TEST_F(LinkLaunch, ACopyDuringTheLaunchTurnsTheStripsNavyAndTheSecondTickLeavesThem) {
    doubleClick(Https);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window->LBox, &enter);
    EXPECT_EQ(window->copyState(), TSTS::SelC);
    EXPECT_TRUE(stripsAre(navy));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"https://example.com/one"_s);
    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    EXPECT_TRUE(stripsAre(navy));
    ASSERT_TRUE(waitFor([this] { return idle(); }, 3000));
    EXPECT_TRUE(stripsAre(navy)) << "only a waiting selection is repainted when the launch ends";
}

TEST_F(LinkLaunch, ADoubleClickBelowTheRowsUsesTheCaretRow) {
    // The list has room below its last row; a double-click there still means the row pressed last.
    doubleClick(Http);
    ASSERT_TRUE(waitFor([this] { return idle(); }, 3000));
    platform.openedUrls.clear();
    QTest::mouseDClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(20, window->LBox->viewport()->height() - 2));
    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    EXPECT_EQ(opened(), QStringList{u"http://example.com/two"_s});
}

TEST_F(LinkLaunch, ALaunchFromTheIdleStateGivesTheStripsTheirColourBack) {
    // Nothing armed: a double-click below the rows opens the caret row without selecting anything.
    window->LBox->selectionModel()->setCurrentIndex(window->LBox->model()->index(Http, 0),
                                                    QItemSelectionModel::NoUpdate);
    ASSERT_EQ(window->copyState(), TSTS::Sel0);
    const QColor buttonFace = strip(window->Pnl1);
    QTest::mouseDClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(20, window->LBox->viewport()->height() - 2));
    ASSERT_TRUE(waitFor([this] { return !platform.openedUrls.isEmpty(); }, 2000));
    ASSERT_TRUE(waitFor([this] { return idle(); }, 3000));
    EXPECT_EQ(window->copyState(), TSTS::Sel0);
    EXPECT_TRUE(stripsAre(buttonFace)) << "the green does not stay behind";
}

} // namespace
