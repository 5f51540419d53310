// The main menu with the real pointer and keyboard: a right click in the list, then its access keys.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"

#include <QApplication>
#include <QMenu>
#include <QToolButton>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class RealMenus : public RealKopixFixture {
protected:
    void rightClickInTheList() {
        xdotool(QStringList{u"mousemove"_s} + at(window->LBox->viewport(), QPoint(60, 40)) +
                QStringList{u"click"_s, u"3"_s});
        ASSERT_TRUE(waitFor([this] { return window->PupMenu->isVisible(); }));
    }
    void keys(const QStringList& names) {
        // A single key is followed by a wait for what it does.
        for (const QString& name : names) {
            xdotool({u"key"_s, name});
            if (names.size() > 1)
                pumpEvents(150); // a submenu opens before the next key
        }
    }
};

TEST_F(RealMenus, AccessKeysJumpToABookmarkAndReopenARecentFile) {
    const QString other = writeFile(u"other.txt"_s, "the other document\r\n");
    QByteArray text;
    for (int i = 0; i < 60; ++i)
        text += (i == 5 || i == 40 ? "☆ mark " : "line ") + QByteArray::number(i) + "\r\n";
    startFramed(text, "[fC]\r\nA_L=100\r\nA_T=100\r\n[FL]\r\nFD=" + programDir().toUtf8() +
                          "\r\nF0=" + other.toUtf8() + "\r\n");
    ASSERT_EQ(window->UsedFL().entry(1), other);

    rightClickInTheList();
    keys({u"j"_s, u"b"_s}); // ☆ 含む行にジャンプ(&J), then (&B): the second bookmark
    ASSERT_TRUE(waitFor([this] { return window->LBox->currentIndex().row() == 40; }));
    EXPECT_FALSE(window->PupMenu->isVisible());
    pumpEvents(100);
    EXPECT_EQ(window->LBox->indexAt(QPoint(0, 0)).row(), 40) << "60 lines: the list scrolls that far";

    rightClickInTheList();
    keys({u"r"_s, u"1"_s}); // 最近開いた文書(&R), then &1: the second recent file
    ASSERT_TRUE(waitFor([this] { return window->windowTitle() == u"other.txt - Kopix"_s; }))
        << window->windowTitle().toStdString();
    EXPECT_EQ(rows(), QStringList{u"the other document"_s});
}

// The keyboard's ways to a control's menu, the menu key and Shift+F10, open it by the caret: the list's
// menu by its current row, the editor's by the cursor.
TEST_F(RealMenus, TheMenuKeyAndShiftF10OpenTheControlsMenuByTheCaret) {
    startFramed("first\r\nsecond\r\nthird\r\nfourth\r\n");
    xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(windowId())});
    keys({u"Down"_s, u"Down"_s});
    const QRect row = window->LBox->visualRect(window->LBox->model()->index(2, 0));
    const QPoint rowOnScreen = window->LBox->viewport()->mapToGlobal(row.center());
    for (const QString& key : {u"Menu"_s, u"shift+F10"_s}) {
        keys({key});
        ASSERT_TRUE(waitFor([this] { return window->PupMenu->isVisible(); })) << key.toStdString();
        EXPECT_LT(std::abs(window->PupMenu->geometry().top() - rowOnScreen.y()), row.height() * 2)
            << key.toStdString() << ": opened away from the current row";
        keys({u"Escape"_s});
        ASSERT_TRUE(waitFor([this] { return !window->PupMenu->isVisible(); }));
        EXPECT_TRUE(window->isVisible()) << "Esc closed the menu, not the window";
    }
    window->PageControl1->setCurrentWidget(window->TabNote);
    pumpEvents(200);
    for (const QString& key : {u"Menu"_s, u"shift+F10"_s}) {
        keys({key});
        ASSERT_TRUE(waitFor([this] { return window->PupMemo->isVisible(); })) << key.toStdString();
        keys({u"Escape"_s});
        ASSERT_TRUE(waitFor([this] { return !window->PupMemo->isVisible(); }));
    }
}

} // namespace

namespace {

// The window's place and size as the X server has them, frame included.
QRect onScreen(unsigned long window) {
    const QString info = runTool(u"xwininfo"_s, {u"-frame"_s, u"-id"_s, QString::number(window)});
    const auto value = [&info](const QString& label) {
        const qsizetype at = info.indexOf(label);
        return at < 0 ? -1 : info.mid(at + label.size()).section(u'\n', 0, 0).trimmed().toInt();
    };
    return QRect(value(u"Absolute upper-left X:"_s), value(u"Absolute upper-left Y:"_s), value(u"Width:"_s),
                 value(u"Height:"_s));
}

TEST_F(RealMenus, F2ShrinksTheRealWindowAndRestoresItInPlace) {
    startFramed("a\r\nb\r\n");
    pumpEvents(200);
    const QRect before = onScreen(windowId());
    ASSERT_GT(before.width(), 200) << "the window's own size";
    xdotool({u"key"_s, u"F2"_s});
    ASSERT_TRUE(waitFor([&] { return onScreen(windowId()).width() < before.width(); }));
    pumpEvents(200);
    const QRect shrunk = onScreen(windowId());
    EXPECT_EQ(QSize(window->width(), window->height()), window->minimumSize());
    EXPECT_EQ(shrunk.topLeft(), before.topLeft());
    xdotool({u"key"_s, u"F2"_s});
    ASSERT_TRUE(waitFor([&] { return onScreen(windowId()).width() == before.width(); }));
    pumpEvents(200);
    EXPECT_EQ(onScreen(windowId()), before) << "the same size at the same place";
}

TEST_F(RealMenus, TheRecentFilesButtonShowsOnlyTheGreyedNoneWithoutRecentFiles) {
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(); // no document, no sample: the placeholder
    ASSERT_TRUE(waitFor([this] { return window->isActiveWindow(); }));
    xdotool(QStringList{u"mousemove"_s} + at(window->BtnRireki, QPoint(10, 10)) +
            QStringList{u"click"_s, u"3"_s});
    ASSERT_TRUE(waitFor([this] { return window->PupFiles->isVisible(); }));
    QStringList shown;
    for (const QAction* item : window->PupFiles->actions())
        if (item->isVisible())
            shown.append(item->text() + (item->isEnabled() ? u""_s : u" (greyed)"_s));
    EXPECT_EQ(shown, QStringList{u"（なし） (greyed)"_s});
    window->PupFiles->hide();
}

} // namespace
