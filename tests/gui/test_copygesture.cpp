// The copy gesture offscreen: the state machine, the strips' conditions, the keys and select-all.
#include "support/KopixFixture.h"

#include "mainwin/Colors.h"
#include "mainwin/DocumentListView.h"

#include "mainwin/CorrectionEditor.h"
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class CopyGesture : public KopixFixture {
protected:
    void SetUp() override {
        KopixFixture::SetUp();
        writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
        start(writeFile(u"doc.txt"_s, "A\r\nB\r\nC\r\n\r\némile\r\nD\r\n"));
        activate();
        QGuiApplication::clipboard()->setText(u"before"_s);
    }
    void activate() {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QPoint rowCentre(int row) const {
        return window->LBox->visualRect(window->LBox->model()->index(row, 0)).center();
    }
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(window->LBox->viewport(), button, modifiers, rowCentre(row));
    }
    void moveOverStrip(QFrame* strip, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                       Qt::MouseButtons buttons = Qt::NoButton) {
        const QPointF local(8, 20);
        QMouseEvent move(QEvent::MouseMove, local, strip->mapToGlobal(local), Qt::NoButton, buttons,
                         modifiers);
        QApplication::sendEvent(strip, &move);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = QString()) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(window->LBox, &press);
    }
    QString clipboard() const { return QGuiApplication::clipboard()->text(); }
    QList<int> selectedRows() const {
        QList<int> rows;
        for (const QModelIndex& index : window->LBox->selectionModel()->selectedIndexes())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_F(CopyGesture, ClickShiftClickAndSlideCopiesTwoRowsWithLineEnds) {
    click(0);
    EXPECT_EQ(window->copyState(), TSTS::SelN);
    EXPECT_EQ(strip(window->Pnl1), aqua);
    EXPECT_EQ(strip(window->Pnl2), aqua);
    click(1, Qt::ShiftModifier);
    moveOverStrip(window->Pnl2);
    EXPECT_EQ(clipboard(), u"A\r\nB\r\n"_s);
    EXPECT_EQ(window->copyState(), TSTS::SelC);
    EXPECT_EQ(strip(window->Pnl1), navy);
    EXPECT_EQ(strip(window->Pnl2), navy);
}

TEST_F(CopyGesture, EachArmedSelectionIsCopiedOnce) {
    click(2);
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), u"C"_s);
    QGuiApplication::clipboard()->setText(u"from another program"_s);
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), u"from another program"_s);
}

TEST_F(CopyGesture, HeldKeysButtonsOrAnInactiveWindowCopyNothingUntilAPlainMove) {
    click(0);
    struct Blocked {
        Qt::KeyboardModifiers modifiers;
        Qt::MouseButtons buttons;
    } blocked[] = {{Qt::ShiftModifier, Qt::NoButton}, {Qt::ControlModifier, Qt::NoButton},
                   {Qt::AltModifier, Qt::NoButton},   {Qt::NoModifier, Qt::LeftButton},
                   {Qt::NoModifier, Qt::RightButton}, {Qt::NoModifier, Qt::MiddleButton}};
    for (const Blocked& b : blocked) {
        moveOverStrip(window->Pnl1, b.modifiers, b.buttons);
        EXPECT_EQ(window->copyState(), TSTS::SelN) << int(b.modifiers) << " " << int(b.buttons);
    }
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(window->copyState(), TSTS::SelN) << "another window is active";
    EXPECT_EQ(clipboard(), u"before"_s);
    activate();
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), u"A"_s);
}

// The transitions: from each state, what each trigger leads to.
enum class Trigger {
    PressRow,
    PressBelowRows,
    RightPressRow,
    CursorKey,
    SelectAll,
    Strip,
    Enter,
    CopyCommand,
    Reload
};

struct Transition {
    const char* name;
    TSTS from;
    Trigger trigger;
    TSTS to;
};

class Transitions : public CopyGesture, public ::testing::WithParamInterface<Transition> {
protected:
    void reach(TSTS state) {
        if (state == TSTS::Sel0)
            return;
        click(1);
        if (state == TSTS::SelC)
            moveOverStrip(window->Pnl1);
    }
    void fire(Trigger trigger) {
        switch (trigger) {
        case Trigger::PressRow:
            click(3);
            break;
        case Trigger::PressBelowRows:
            QTest::mouseClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(20, window->LBox->viewport()->height() - 2));
            break;
        case Trigger::RightPressRow:
            QTest::mousePress(window->LBox->viewport(), Qt::RightButton, Qt::NoModifier, rowCentre(3));
            QTest::mouseRelease(window->LBox->viewport(), Qt::RightButton, Qt::NoModifier, rowCentre(3));
            break;
        case Trigger::CursorKey:
            key(Qt::Key_Down);
            break;
        case Trigger::SelectAll:
            window->findChild<QAction*>(u"ActSelAll"_s)->trigger();
            break;
        case Trigger::Strip:
            moveOverStrip(window->Pnl2);
            break;
        case Trigger::Enter:
            key(Qt::Key_Return, Qt::NoModifier, u"\r"_s);
            break;
        case Trigger::CopyCommand:
            window->findChild<QAction*>(u"EditCopy1"_s)->trigger();
            break;
        case Trigger::Reload:
            window->OpenDocument(window->UsedFL().entry(0));
            break;
        }
    }
};

TEST_P(Transitions, FollowTheTable) {
    const Transition& t = GetParam();
    // The document holds few rows, so the last part of the list is empty space.
    reach(t.from);
    ASSERT_EQ(window->copyState(), t.from);
    QGuiApplication::clipboard()->setText(u"marker"_s);
    fire(t.trigger);
    EXPECT_EQ(window->copyState(), t.to);
    const bool copied = t.to == TSTS::SelC && t.from != TSTS::SelC;
    EXPECT_EQ(clipboard() != u"marker"_s, copied) << "entering SelC, and only that, writes the clipboard";
}

INSTANTIATE_TEST_SUITE_P(
    Table, Transitions,
    ::testing::Values(Transition{"sel0_press", TSTS::Sel0, Trigger::PressRow, TSTS::SelN},
                      Transition{"selc_press", TSTS::SelC, Trigger::PressRow, TSTS::SelN},
                      Transition{"sel0_press_below_rows", TSTS::Sel0, Trigger::PressBelowRows, TSTS::Sel0},
                      Transition{"selc_press_below_rows", TSTS::SelC, Trigger::PressBelowRows, TSTS::SelC},
                      Transition{"sel0_right_press", TSTS::Sel0, Trigger::RightPressRow, TSTS::Sel0},
                      Transition{"selc_right_press", TSTS::SelC, Trigger::RightPressRow, TSTS::SelC},
                      Transition{"sel0_cursor", TSTS::Sel0, Trigger::CursorKey, TSTS::SelN},
                      Transition{"seln_cursor", TSTS::SelN, Trigger::CursorKey, TSTS::SelN},
                      Transition{"selc_cursor", TSTS::SelC, Trigger::CursorKey, TSTS::SelN},
                      Transition{"sel0_select_all", TSTS::Sel0, Trigger::SelectAll, TSTS::SelN},
                      Transition{"selc_select_all", TSTS::SelC, Trigger::SelectAll, TSTS::SelN},
                      Transition{"sel0_strip", TSTS::Sel0, Trigger::Strip, TSTS::Sel0},
                      Transition{"seln_strip", TSTS::SelN, Trigger::Strip, TSTS::SelC},
                      Transition{"selc_strip", TSTS::SelC, Trigger::Strip, TSTS::SelC},
                      Transition{"sel0_enter", TSTS::Sel0, Trigger::Enter, TSTS::SelC},
                      Transition{"seln_enter", TSTS::SelN, Trigger::Enter, TSTS::SelC},
                      Transition{"selc_enter", TSTS::SelC, Trigger::Enter, TSTS::SelC},
                      Transition{"sel0_copy", TSTS::Sel0, Trigger::CopyCommand, TSTS::Sel0},
                      Transition{"seln_copy", TSTS::SelN, Trigger::CopyCommand, TSTS::SelC},
                      Transition{"selc_copy", TSTS::SelC, Trigger::CopyCommand, TSTS::SelC},
                      Transition{"seln_reload", TSTS::SelN, Trigger::Reload, TSTS::Sel0},
                      Transition{"selc_reload", TSTS::SelC, Trigger::Reload, TSTS::Sel0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyGesture, EveryNavigationKeyArmsWhateverModifierIsHeld) {
    for (int k : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_Left, Qt::Key_Up,
                  Qt::Key_Right, Qt::Key_Down}) {
        window->OpenDocument(window->UsedFL().entry(0));
        key(k, k == Qt::Key_Down ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_EQ(window->copyState(), TSTS::SelN) << k;
    }
    window->OpenDocument(window->UsedFL().entry(0));
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(window->copyState(), TSTS::SelN);
}

// Only a left press on a row changes the selection, so it never disagrees with the strips' colour.
TEST_F(CopyGesture, OnlyTheLeftButtonOnARowChangesTheSelection) {
    click(0);
    moveOverStrip(window->Pnl1);
    ASSERT_TRUE(stripsAre(navy));
    const QPoint belowRows(20, window->LBox->viewport()->height() - 2);
    ASSERT_FALSE(window->LBox->indexAt(belowRows).isValid());

    click(3, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(selectedRows(), QList<int>{0}) << "a right press opens the menu, nothing more";
    EXPECT_TRUE(stripsAre(navy));
    window->PupMenu->hide();

    QTest::mouseClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier, belowRows);
    EXPECT_EQ(selectedRows(), QList<int>{0}) << "below the last row is no row";
    EXPECT_EQ(window->copyState(), TSTS::SelC);

    // A drag that starts below the last row selects nothing on its way up.
    QTest::mousePress(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier, belowRows);
    QMouseEvent drag(QEvent::MouseMove, QPointF(rowCentre(1)),
                     window->LBox->viewport()->mapToGlobal(rowCentre(1)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window->LBox->viewport(), &drag);
    QTest::mouseRelease(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    EXPECT_EQ(selectedRows(), QList<int>{0});

    QGuiApplication::clipboard()->setText(u"kept"_s);
    click(0, Qt::NoModifier, Qt::RightButton);
    window->PupMenu->hide();
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), u"kept"_s) << "nothing was armed, so nothing is copied";

    // The middle button selects nothing, so it arms nothing either, and opens no link: the text another
    // program put on the clipboard stays there.
    QSignalSpy doubleClicks(window->LBox, &DocumentListView::listDoubleClicked);
    QTest::mouseClick(window->LBox->viewport(), Qt::MiddleButton, Qt::NoModifier, rowCentre(3));
    QTest::mouseDClick(window->LBox->viewport(), Qt::MiddleButton, Qt::NoModifier, rowCentre(3));
    EXPECT_EQ(selectedRows(), QList<int>{0});
    EXPECT_EQ(window->copyState(), TSTS::SelC);
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), u"kept"_s);
    EXPECT_EQ(doubleClicks.count(), 0);
    QTest::mouseDClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(3));
    EXPECT_EQ(doubleClicks.count(), 1) << "the left button's double-click is the one that opens links";
}

TEST_F(CopyGesture, LeftAndRightMoveTheSelectionLikeUpAndDown) {
    click(2);
    key(Qt::Key_Right);
    EXPECT_EQ(selectedRows(), QList<int>{3});
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(selectedRows(), QList<int>{1});
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), (QList<int>{1, 2}));
}

TEST_F(CopyGesture, CtrlClickTogglesTheRowHoweverFast) {
    click(0);
    click(2, Qt::ControlModifier);
    ASSERT_EQ(selectedRows(), (QList<int>{0, 2}));
    // Quick enough to be a double-click: the second press arrives as one.
    QTest::mouseDClick(window->LBox->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    QTest::mouseRelease(window->LBox->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    EXPECT_EQ(selectedRows(), QList<int>{0});
    click(2, Qt::ControlModifier);
    QTest::mouseDClick(window->LBox->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    QTest::mouseRelease(window->LBox->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    EXPECT_EQ(selectedRows(), QList<int>{0});
    QTest::mouseDClick(window->LBox->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    EXPECT_EQ(selectedRows(), (QList<int>{0, 2}));
}

TEST_F(CopyGesture, PrintableAsciiIsSwallowedOtherCharactersReachTheList) {
    click(0);
    for (const QString& typed : {u"D"_s, u"d"_s, u"1"_s, u" "_s, u"~"_s}) {
        key(Qt::Key_unknown, Qt::NoModifier, typed);
        EXPECT_EQ(selectedRows(), QList<int>{0}) << "typing " << typed.toStdString() << " moves nothing";
    }
    key(Qt::Key_unknown, Qt::NoModifier, u"é"_s);
    EXPECT_EQ(window->LBox->currentIndex().row(), 4) << "a character beyond ASCII finds its row";
    EXPECT_EQ(window->copyState(), TSTS::SelN);
    EXPECT_TRUE(DocumentListView::isSwallowedCharacter(u" "_s));
    EXPECT_FALSE(DocumentListView::isSwallowedCharacter(u"\x7f"_s));
    EXPECT_FALSE(DocumentListView::isSwallowedCharacter(u"\x1f"_s));
    EXPECT_FALSE(DocumentListView::isSwallowedCharacter(u"あ"_s));
}

TEST_F(CopyGesture, EscapeClosesTheWindowThroughTheCloseQuestion) {
    platform.removable = true;
    platform.answers = {mrIgnore};
    key(Qt::Key_Escape);
    EXPECT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(window->isVisible());
    key(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(CopyGesture, SelectAllOnTheCopyTabOnlyAndOnAnEmptyList) {
    QTest::keyClick(window->LBox, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedRows().size(), 6);
    EXPECT_EQ(window->copyState(), TSTS::SelN);
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), u"A\r\nB\r\nC\r\n\r\némile\r\nD\r\n"_s);

    window->OpenDocument(window->UsedFL().entry(0));
    window->PageControl1->setCurrentWidget(window->TabNote);
    window->findChild<QAction*>(u"ActSelAll"_s)->trigger();
    EXPECT_TRUE(selectedRows().isEmpty());
    EXPECT_EQ(window->copyState(), TSTS::Sel0);
    window->PageControl1->setCurrentWidget(window->TabCopy);

    window->OpenDocument(writeFile(u"empty.txt"_s, ""));
    window->findChild<QAction*>(u"ActSelAll"_s)->trigger();
    EXPECT_EQ(window->copyState(), TSTS::SelN);
    EXPECT_EQ(strip(window->Pnl1), aqua);
    moveOverStrip(window->Pnl2);
    EXPECT_EQ(clipboard(), QString()) << "nothing selected stores an empty text";
    EXPECT_EQ(strip(window->Pnl2), navy);
}

TEST_F(CopyGesture, CtrlDeselectingTheOnlyRowThenSlidingEmptiesTheClipboard) {
    click(0);
    click(0, Qt::ControlModifier);
    EXPECT_TRUE(selectedRows().isEmpty());
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), QString());
}

TEST_F(CopyGesture, CopyCommandOnTheCorrectionTabCopiesTheEditorsSelection) {
    click(0);
    window->PageControl1->setCurrentWidget(window->TabNote);
    window->correctionEditor()->selectAll();
    window->findChild<QAction*>(u"EditCopy1"_s)->trigger();
    EXPECT_EQ(clipboard(), u"A\r\nB\r\nC\r\n\r\némile\r\nD\r\n"_s);
    EXPECT_EQ(window->copyState(), TSTS::SelN) << "the list's gesture is not touched";
}

TEST_F(CopyGesture, PlaceholderRowsCanBeCopiedLikeLines) {
    window.reset();
    QFile::remove(inProgramDir(u"Kopix.ini"_s));
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start();
    activate();
    click(0);
    click(2, Qt::ShiftModifier);
    moveOverStrip(window->Pnl1);
    EXPECT_EQ(clipboard(), u"　表示すべき文書\r\n（前回終了時の文書）\r\nが読めませんでした。\r\n"_s);
}

} // namespace
