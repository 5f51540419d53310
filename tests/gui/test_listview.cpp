// The list places its rows by their number: keys move the caret by rows and pages, the list scrolls by
// whole rows, a drag selects the rows it touches, and points map back to rows, on a list of 100 rows of
// which 10 show whole.
#include "core/LineStore.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/LineDelegate.h"
#include "mainwin/LineListModel.h"

#include <QAbstractItemModelTester>
#include <QAbstractListModel>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

constexpr int RowHeight = 15;
constexpr int Rows = 100;

class ListView : public ::testing::Test {
protected:
    ListView() {
        QStringList lines;
        for (int i = 0; i < Rows; ++i)
            lines.append(QStringLiteral("row %1").arg(i));
        model.setLines(LineStore::fromLines(lines));
        delegate.setRowHeight(RowHeight);
        view.setItemDelegate(&delegate);
        view.setModel(&model);
        view.show();
        // Ten rows and a half show: the last one only in part.
        view.resize(200, view.height() - view.viewport()->height() + 10 * RowHeight + 7);
        QCoreApplication::processEvents();
    }
    void startAt(int current, int top) {
        view.setCurrentIndex(model.index(current, 0));
        view.verticalScrollBar()->setValue(top);
    }
    int top() const { return view.verticalScrollBar()->value(); }

    LineListModel model;
    LineDelegate delegate{model};
    DocumentListView view;
};

// The model keeps Qt's rules for item models (its indexes, counts and reset signals) while documents come
// and go under the view; the tester fails the test at the first broken rule.
TEST_F(ListView, TheModelKeepsQtsRulesAcrossDocuments) {
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (const QStringList& lines :
         {QStringList{u"one"_s}, QStringList(), QStringList{u"a"_s, u""_s, u"c"_s}})
        model.setLines(LineStore::fromLines(lines));
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_FALSE(model.index(3, 0).isValid());
    EXPECT_FALSE(model.index(0, 1).isValid());
    EXPECT_EQ(model.data(model.index(2, 0), Qt::DisplayRole).toString(), u"c"_s);
}

TEST_F(ListView, KeysMoveTheCaretByRowsAndPagesAndScrollJustEnough) {
    ASSERT_EQ(view.viewport()->height(), 10 * RowHeight + 7);
    ASSERT_EQ(view.verticalScrollBar()->maximum(), Rows - 10);
    const struct {
        const char* name;
        int current, top;
        Qt::Key key;
        int expectedRow, expectedTop;
    } cases[] = {
        {"down inside the page", 3, 0, Qt::Key_Down, 4, 0},
        {"down off the page scrolls one row", 9, 0, Qt::Key_Down, 10, 1},
        {"down on the last row stays", 99, 90, Qt::Key_Down, 99, 90},
        {"up on the first row stays", 0, 0, Qt::Key_Up, 0, 0},
        {"up above the page scrolls to it", 20, 20, Qt::Key_Up, 19, 19},
        {"right is down", 5, 0, Qt::Key_Right, 6, 0},
        {"left is up", 5, 0, Qt::Key_Left, 4, 0},
        {"page down: one row less than shown", 0, 0, Qt::Key_PageDown, 9, 0},
        {"page down again scrolls", 9, 0, Qt::Key_PageDown, 18, 9},
        {"page down stops at the last row", 95, 90, Qt::Key_PageDown, 99, 90},
        {"page up", 50, 45, Qt::Key_PageUp, 41, 41},
        {"page up stops at the first row", 4, 0, Qt::Key_PageUp, 0, 0},
        {"end shows the last row at the bottom", 10, 5, Qt::Key_End, 99, 90},
        {"home", 60, 55, Qt::Key_Home, 0, 0},
    };
    for (const auto& c : cases) {
        startAt(c.current, c.top);
        QTest::keyClick(&view, c.key);
        EXPECT_EQ(view.currentIndex().row(), c.expectedRow) << c.name;
        EXPECT_EQ(top(), c.expectedTop) << c.name;
    }
}

TEST_F(ListView, ScrollingToARowFollowsTheHint) {
    const struct {
        int row;
        QAbstractItemView::ScrollHint hint;
        int expectedTop; // from a top row of 30
    } cases[] = {
        {35, QAbstractItemView::EnsureVisible, 30},    {45, QAbstractItemView::EnsureVisible, 36},
        {20, QAbstractItemView::EnsureVisible, 20},    {45, QAbstractItemView::PositionAtTop, 45},
        {45, QAbstractItemView::PositionAtBottom, 36}, {45, QAbstractItemView::PositionAtCenter, 40},
        {98, QAbstractItemView::PositionAtTop, 90},    {2, QAbstractItemView::PositionAtBottom, 0},
    };
    for (const auto& c : cases) {
        view.verticalScrollBar()->setValue(30);
        view.scrollTo(model.index(c.row, 0), c.hint);
        EXPECT_EQ(top(), c.expectedTop) << c.row << " hint " << int(c.hint);
    }
}

TEST_F(ListView, PointsMapToRowsAndRowsToPlaces) {
    view.verticalScrollBar()->setValue(30);
    const int width = view.viewport()->width();
    EXPECT_EQ(view.visualRect(model.index(31, 0)), QRect(0, RowHeight, width, RowHeight));
    EXPECT_EQ(view.visualRect(model.index(29, 0)), QRect(0, -RowHeight, width, RowHeight));
    EXPECT_EQ(view.indexAt(QPoint(5, 0)).row(), 30);
    EXPECT_EQ(view.indexAt(QPoint(5, 2 * RowHeight - 1)).row(), 31);
    EXPECT_EQ(view.indexAt(QPoint(5, -1)).row(), 29);
    EXPECT_FALSE(view.indexAt(QPoint(width, 0)).isValid()) << "right of the rows";

    view.verticalScrollBar()->setValue(90);
    EXPECT_EQ(view.indexAt(QPoint(5, 10 * RowHeight - 1)).row(), 99);
    EXPECT_FALSE(view.indexAt(QPoint(5, 10 * RowHeight + 1)).isValid()) << "below the last row";
}

TEST_F(ListView, ANewDocumentsTopRowHoldsBeforeTheListHasLaidItOut) {
    QStringList longer;
    for (int i = 0; i < 3 * Rows; ++i)
        longer.append(QStringLiteral("line %1").arg(i));
    model.setLines(LineStore::fromLines(longer));
    view.setTopRow(250);
    // A click may come before the event loop has laid the new rows out.
    EXPECT_EQ(view.indexAt(QPoint(5, 0)).row(), 250);
    EXPECT_EQ(view.visualRect(model.index(251, 0)).top(), RowHeight);
}

TEST_F(ListView, RowsDeeperThanAnIntOfPixelsAreFound) {
    // 150,000,000 rows of 15 pixels: the last ones lie 2,250,000,000 pixels down, past what an int holds.
    struct ManyRows : QAbstractListModel {
        int rowCount(const QModelIndex& = {}) const override { return 150'000'000; }
        QVariant data(const QModelIndex&, int) const override { return {}; }
    } many;
    view.setModel(&many);
    view.setCurrentIndex(many.index(149'999'000, 0));
    QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view.currentIndex().row(), 149'999'999);
    EXPECT_EQ(view.indexAt(QPoint(5, 9 * RowHeight)).row(), 149'999'999);
    EXPECT_LT(view.visualRect(many.index(0, 0)).bottom(), 0) << "far above the viewport";
    const QItemSelection selected = view.selectionModel()->selection();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().top(), 149'999'000);
    EXPECT_EQ(selected.first().bottom(), 149'999'999);
}

TEST_F(ListView, ADragSelectsTheRowsItTouchesAndStopsAtTheEnds) {
    QWidget* viewport = view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(20, 2 * RowHeight + 3));
    QTest::mouseMove(viewport, QPoint(20, 5 * RowHeight + 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(20, 5 * RowHeight + 3));
    QList<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (QList<int>{2, 3, 4, 5}));

    // Shift+End from there reaches from where the drag began to the last row, far below the page.
    QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), Rows - 2);
}

} // namespace
