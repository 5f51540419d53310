// The copy gesture with the real pointer and the real CLIPBOARD: xdotool moves and clicks, xclip reads.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"

#include <QApplication>
#include <QFrame>
#include <QItemSelectionModel>
#include <QScreen>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealCopy : public RealKopixFixture {
protected:
    QStringList rowAt(int row) const {
        const QRect rect = window->LBox->visualRect(window->LBox->model()->index(row, 0));
        return at(window->LBox->viewport(), QPoint(20, rect.center().y()));
    }
    QStringList onStrip(const QFrame* strip, int dy = 0) const { return at(strip, QPoint(8, 40 + dy)); }
    // The colour the screen shows in the middle of a strip.
    QColor stripOnScreen(const QFrame* strip) const {
        reachServer();
        const QPoint centre = strip->mapToGlobal(strip->rect().center());
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, centre.x(), centre.y(), 1, 1)
            .toImage()
            .pixelColor(0, 0);
    }
    bool copied() const { return window->copyState() == TSTS::SelC; }
};

TEST_F(RealCopy, ClickShiftClickAndSlideOntoTheRightStrip) {
    startFramed("A\r\nB\r\nC\r\n");
    ASSERT_TRUE(xdotool(QStringList{u"mousemove"_s} + rowAt(0) + QStringList{u"click"_s, u"1"_s}));
    ASSERT_TRUE(waitFor([this] { return window->copyState() == TSTS::SelN; }));
    EXPECT_EQ(stripOnScreen(window->Pnl2), aqua);
    xdotool(QStringList{u"mousemove"_s} + rowAt(1) +
            QStringList{u"keydown"_s, u"shift"_s, u"click"_s, u"1"_s, u"keyup"_s, u"shift"_s});
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl2));
    ASSERT_TRUE(waitFor([this] { return copied(); }));
    EXPECT_EQ(clipboardBytes(), QByteArray("A\r\nB\r\n"));
    EXPECT_EQ(stripOnScreen(window->Pnl1), navy);
    EXPECT_EQ(stripOnScreen(window->Pnl2), navy);
}

TEST_F(RealCopy, OneRowGivesItsTextWithoutALineEnd) {
    startFramed("first\r\nsecond row\r\n");
    xdotool(QStringList{u"mousemove"_s} + rowAt(1) + QStringList{u"click"_s, u"1"_s});
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl1));
    ASSERT_TRUE(waitFor([this] { return copied(); }));
    EXPECT_EQ(clipboardBytes(), QByteArray("second row"));
}

TEST_F(RealCopy, SlidingWithShiftHeldCopiesNothingUntilAPlainMove) {
    startFramed("A\r\nB\r\n");
    xdotool(QStringList{u"mousemove"_s} + rowAt(0) + QStringList{u"click"_s, u"1"_s});
    xdotool(QStringList{u"keydown"_s, u"shift"_s, u"mousemove"_s} + onStrip(window->Pnl1));
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl1, 5));
    EXPECT_FALSE(copied());
    xdotool({u"keyup"_s, u"shift"_s});
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl1, 10));
    EXPECT_TRUE(waitFor([this] { return copied(); }));
    EXPECT_EQ(clipboardBytes(), QByteArray("A"));
}

TEST_F(RealCopy, ADragEndingOnTheStripCopiesOnlyAfterTheButtonIsUp) {
    startFramed("A\r\nB\r\nC\r\n");
    xdotool(QStringList{u"mousemove"_s} + rowAt(0) + QStringList{u"mousedown"_s, u"1"_s});
    xdotool(QStringList{u"mousemove"_s} + rowAt(1));
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl2));
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl2, 5));
    EXPECT_FALSE(copied()) << "the button is still held";
    xdotool({u"mouseup"_s, u"1"_s});
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl2, 10));
    ASSERT_TRUE(waitFor([this] { return copied(); }));
    EXPECT_EQ(clipboardBytes(), QByteArray("A\r\nB\r\n"));
}

TEST_F(RealCopy, SlidingWhileAnotherWindowIsActiveCopiesNothing) {
    startFramed("A\r\nB\r\n");
    xdotool(QStringList{u"mousemove"_s} + rowAt(0) + QStringList{u"click"_s, u"1"_s});
    QWidget other;
    other.setGeometry(700, 500, 200, 150);
    other.show();
    ASSERT_TRUE(
        waitFor([&other] { return other.windowHandle() && other.windowHandle()->frameMargins().top() > 0; }));
    xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(other.winId())});
    ASSERT_TRUE(waitFor([&other] { return other.isActiveWindow(); }));
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl1));
    xdotool(QStringList{u"mousemove"_s} + onStrip(window->Pnl1, 5));
    EXPECT_FALSE(copied());
    EXPECT_EQ(window->copyState(), TSTS::SelN);
}

TEST_F(RealCopy, EnterInTheIdleStateCopiesTheSelection) {
    startFramed("one\r\ntwo\r\nthree\r\n");
    window->LBox->selectionModel()->select(window->LBox->model()->index(2, 0),
                                           QItemSelectionModel::ClearAndSelect);
    ASSERT_EQ(window->copyState(), TSTS::Sel0);
    xdotool({u"key"_s, u"--window"_s, QString::number(windowId()), u"Return"_s});
    ASSERT_TRUE(waitFor([this] { return copied(); }));
    EXPECT_EQ(clipboardBytes(), QByteArray("three"));
}

TEST_F(RealCopy, WideRowRunsOutOfSightAndSelectedRowsShowTheHighlight) {
    startFramed("short\r\n表示しきれない長い行は右端で途切れるだけで三点リーダーは付きません。まだまだ続きま"
                "す。\r\n");
    window->LBox->selectionModel()->select(window->LBox->model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect);
    window->LBox->selectionModel()->setCurrentIndex(window->LBox->model()->index(0, 0),
                                                    QItemSelectionModel::NoUpdate);
    reachServer();
    const QRect wide = window->LBox->visualRect(window->LBox->model()->index(1, 0));
    const QPoint origin = window->LBox->viewport()->mapToGlobal(wide.topLeft());
    const QImage row =
        QGuiApplication::primaryScreen()
            ->grabWindow(0, origin.x(), origin.y(), window->LBox->viewport()->width(), wide.height())
            .toImage();
    // Glyphs reach the right edge in their upper half; an ellipsis would leave only dots on the baseline.
    int inkNearTheEdge = 0;
    for (int x = row.width() - 12; x < row.width(); ++x)
        for (int y = 0; y < row.height() / 2; ++y)
            inkNearTheEdge += row.pixelColor(x, y).lightness() < 128 ? 1 : 0;
    EXPECT_GT(inkNearTheEdge, 0);

    const QRect first = window->LBox->visualRect(window->LBox->model()->index(0, 0));
    const QPoint inside =
        window->LBox->viewport()->mapToGlobal(QPoint(first.right() - 4, first.center().y()));
    const QColor shown = QGuiApplication::primaryScreen()
                             ->grabWindow(0, inside.x(), inside.y(), 1, 1)
                             .toImage()
                             .pixelColor(0, 0);
    EXPECT_EQ(shown, window->LBox->palette().color(QPalette::Active, QPalette::Highlight));
}

} // namespace
