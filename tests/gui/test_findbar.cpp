// The find bar under the list, offscreen: typing finds and arms, the keys step through the matches, Enter
// copies like Enter in the list (and pastes into the window the user came from when asked), Esc closes only
// the bar.
#include "support/KopixFixture.h"

#include "mainwin/DocumentListView.h"
#include "mainwin/FindBar.h"
#include "mainwin/LineDelegate.h"
#include "mainwin/StatusPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class FindInTheList : public KopixFixture {
protected:
    void startWith(const QByteArray& settings = "[LB]\r\nTI=0\r\n") {
        writeFile(u"Kopix.ini"_s, settings);
        start(writeFile(u"doc.txt"_s, "件名\r\nメールアドレス\r\nお世話になっております\r\nアドレス帳\r\n"
                                      "Info@Example.com\r\n"));
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QCoreApplication::processEvents(); // the settings of the additions are applied once shown
        window->LBox->setFocus();
        QTest::keyClick(window->LBox, Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(bar()->isVisible());
        ASSERT_TRUE(bar()->box()->hasFocus());
    }
    FindBar* bar() const { return window->findBar(); }
    // Typed a character at a time, as a keyboard or an input method gives them (QTest knows only ASCII).
    void type(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(bar()->box(), &press);
        }
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(bar()->box(), key, modifiers);
    }
    int currentRow() const { return window->LBox->currentIndex().row(); }
    QList<int> selectedRows() const {
        QList<int> rows;
        for (const QModelIndex& index : window->LBox->selectionModel()->selectedIndexes())
            rows.append(index.row());
        return rows;
    }
};

TEST_F(FindInTheList, TypingSelectsTheRowArmsTheCopyAndMarksTheMatch) {
    startWith();
    type(u"ｱﾄﾞﾚｽ"_s);
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(selectedRows(), QList<int>{1});
    EXPECT_EQ(window->copyState(), TSTS::SelN);
    EXPECT_TRUE(stripsAre(aqua));
    EXPECT_FALSE(bar()->showsNoMatch());
    // The match is marked in the unselected row below.
    const QRect row3 = window->LBox->visualRect(window->LBox->model()->index(3, 0));
    const QImage shown = window->LBox->viewport()->grab().toImage();
    bool marked = false;
    for (int x = row3.left(); x < row3.right() && !marked; ++x)
        marked = shown.pixelColor(x, row3.center().y()) == LineDelegate::findMarkColour();
    EXPECT_TRUE(marked);
}

TEST_F(FindInTheList, DownUpAndCtrlGStepThroughTheRowsWrappingRound) {
    startWith();
    type(u"アドレス"_s);
    ASSERT_EQ(currentRow(), 1);
    key(Qt::Key_Down);
    EXPECT_EQ(currentRow(), 3);
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(currentRow(), 1) << "wraps round at the end";
    key(Qt::Key_Up);
    EXPECT_EQ(currentRow(), 3) << "and at the top";
    key(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(selectedRows(), QList<int>{1});
}

TEST_F(FindInTheList, NoMatchTurnsTheBoxTheWarningColourAndMovesNothing) {
    startWith();
    type(u"ＥＸＡＭ"_s);
    ASSERT_EQ(currentRow(), 4);
    type(u"x"_s);
    EXPECT_TRUE(bar()->showsNoMatch());
    EXPECT_EQ(bar()->box()->palette().color(QPalette::Base), FindBar::warningColour());
    EXPECT_EQ(currentRow(), 4);
    key(Qt::Key_Backspace);
    EXPECT_FALSE(bar()->showsNoMatch());

    // The document read again, now with a row that has the text: the box finds it.
    type(u"x"_s);
    ASSERT_TRUE(bar()->showsNoMatch());
    writeFile(u"doc.txt"_s, "件名\r\nexamxyz\r\n");
    window->ActRefreshExecute();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !bar()->showsNoMatch(); }));
    EXPECT_EQ(currentRow(), 1);
    EXPECT_NE(bar()->box()->palette().color(QPalette::Base), FindBar::warningColour());
}

TEST_F(FindInTheList, EscClosesOnlyTheBar) {
    startWith();
    type(u"件"_s);
    key(Qt::Key_Escape);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->LBox->hasFocus());
    EXPECT_EQ(window->copyState(), TSTS::SelN) << "nothing was copied";
}

TEST_F(FindInTheList, EnterCopiesTheRowLikeEnterInTheListAndClosesTheBar) {
    startWith();
    QGuiApplication::clipboard()->setText(u"before"_s);
    type(u"お世話"_s);
    key(Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"お世話になっております"_s);
    EXPECT_EQ(window->copyState(), TSTS::SelC);
    EXPECT_TRUE(stripsAre(navy));
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(platform.pastes.isEmpty()) << "pasting into other windows is off by default";
}

TEST_F(FindInTheList, EnterOnABoxThatMatchesNothingCopiesNothingAndSaysSo) {
    startWith("[Kopix]\r\nPasteInto=1\r\n");
    QGuiApplication::clipboard()->setText(u"before"_s);
    type(u"お世話x"_s); // the row found for "お世話" stays selected
    ASSERT_TRUE(bar()->showsNoMatch());
    key(Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"before"_s);
    EXPECT_TRUE(platform.pastes.isEmpty());
    EXPECT_EQ(window->SBarPanels[1]->shownText(), u"「お世話x」はどの行にもないため、コピーしません"_s);
    EXPECT_TRUE(bar()->isVisible()) << "left open to correct the text";
    EXPECT_TRUE(bar()->box()->hasFocus());
}

TEST_F(FindInTheList, ASearchInSlicesSaysSoAndEnterWaitsForItsRow) {
    startWith();
    bar()->setSliceForTest(1);
    QGuiApplication::clipboard()->setText(u"before"_s);
    type(u"アドレス帳"_s); // "アドレス" alone is in an earlier row
    ASSERT_TRUE(bar()->isSearching());
    EXPECT_TRUE(bar()->findChild<QLabel*>(u"LblFinding"_s)->isVisible());
    QSignalSpy ended(bar(), &FindBar::searchEnded);
    key(Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"before"_s);
    ASSERT_TRUE(ended.wait());
    EXPECT_EQ(currentRow(), 3);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"アドレス帳"_s);
    EXPECT_FALSE(bar()->isVisible());
}

TEST_F(FindInTheList, WithPastingOnEnterPastesIntoTheWindowTheUserCameFrom) {
    startWith("[Kopix]\r\nPasteInto=1\r\nPasteKey=Ctrl+Shift+V\r\n");
    type(u"件名"_s);
    key(Qt::Key_Return);
    EXPECT_EQ(platform.pastes, QStringList{u"69206017|Ctrl+Shift+V"_s});

    // A window that has gone gets nothing, and the status bar says so.
    platform.pasteOutcome = PasteOutcome::WindowGone;
    window->LBox->setFocus();
    QTest::keyClick(window->LBox, Qt::Key_Down);
    QTest::keyClick(window->LBox, Qt::Key_Return);
    EXPECT_EQ(window->SBarPanels[1]->shownText(), u"元のウィンドウはもうないため、貼り付けません"_s);
}

TEST_F(FindInTheList, NonsenseInTheKopixSectionIsToldAndTheDefaultsHold) {
    writeFile(u"Kopix.ini"_s, "[Kopix]\r\nPasteInto=2\r\nGlobalKey=K\r\n");
    start(writeFile(u"doc.txt"_s, "a\r\n"));
    QCoreApplication::processEvents();
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_TRUE(
        platform.messages[0].text.endsWith(u"の次の値は使えないため、既定の値にしました。\r\nPasteInto=2"_s))
        << platform.messages[0].text.toStdString();
    EXPECT_TRUE(platform.messages[1].text.startsWith(u"「K」は Kopix を呼び出すキーにできません。"_s));
    EXPECT_TRUE(platform.grabbedKeys.isEmpty()) << "a key without Ctrl, Alt or Windows is never taken";
    EXPECT_FALSE(window->settings().kopix.pasteInto);

    // Told once: the next start has nothing to say.
    ASSERT_TRUE(closeAndDestroy());
    platform.messages.clear();
    start();
    QCoreApplication::processEvents();
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.value(0).text.toStdString();
}

} // namespace
