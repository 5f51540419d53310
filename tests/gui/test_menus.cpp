// The recent files and the bookmarks as menu commands, and the tool buttons that drop their menus down.
#include "support/KopixFixture.h"

#include "core/Bookmarks.h"
#include "mainwin/DocumentListView.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class Menus : public KopixFixture {
protected:
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    QMenu* menu(const QString& name) const { return window->findChild<QMenu*>(name); }
    // The texts of a menu's items that show, "-" for a separator.
    static QStringList shown(const QMenu* m) {
        QStringList texts;
        for (const QAction* a : m->actions())
            if (a->isVisible())
                texts.append(a->isSeparator() ? u"-"_s : a->text());
        return texts;
    }
    void openAll(const QStringList& paths) {
        for (const QString& path : paths)
            window->OpenDocument(path);
    }
};

TEST_F(Menus, RecentFilesShowTheirSlotDigitAndFittedPathInBothMenus) {
    const QString a = writeFile(u"a.txt"_s, "a\r\n");
    const QString b = writeFile(u"Q&A.txt"_s, "b\r\n");
    QString deep = programDir();
    while (deep.size() < 200)
        deep += u"/a_rather_long_folder_name"_s;
    const QString c = writeFile(deep + u"/deep.txt"_s, "c\r\n");
    start(a);
    openAll({b, c});
    const QStringList recent = shown(menu(u"PupFiles"_s));
    ASSERT_EQ(recent.size(), 3);
    EXPECT_EQ(shown(menu(u"mRireki"_s)), recent);
    EXPECT_TRUE(recent[0].startsWith(u"&0 /.../"_s)) << recent[0].toStdString();
    EXPECT_TRUE(recent[0].endsWith(u"/deep.txt"_s));
    EXPECT_TRUE(recent[1].startsWith(u"&1 "_s));
    EXPECT_TRUE(recent[1].endsWith(u"/Q&&A.txt"_s)) << "the path's & shows as itself";
    EXPECT_TRUE(recent[2].startsWith(u"&2 "_s) && recent[2].endsWith(u"/a.txt"_s));
    // Measured in the window's own font, what follows the slot digit fits into 240 pixels.
    const QFontMetrics metrics(window->font());
    for (const QString& caption : recent)
        EXPECT_LE(metrics.horizontalAdvance(caption.mid(3).replace(u"&&"_s, u"&"_s)), 240);
    EXPECT_GT(metrics.horizontalAdvance(c), 240);
    EXPECT_FALSE(action(u"ActFNasi"_s)->isVisible());
}

TEST_F(Menus, WithoutRecentFilesOrBookmarksOnlyTheGreyedNoneShows) {
    start(); // first run, no sample: the placeholder
    for (const QString& name : {u"PupFiles"_s, u"mRireki"_s, u"PopShiori"_s, u"mSiori"_s}) {
        EXPECT_EQ(shown(menu(name)), QStringList{u"（なし）"_s}) << name.toStdString();
        EXPECT_FALSE(menu(name)->actions().last()->isEnabled());
    }
}

TEST_F(Menus, AfterThePlaceholderAnyOpenedDocumentBringsTheRecentFilesBack) {
    const QString empty = writeFile(u"empty.txt"_s, "");
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(empty); // read but empty: the placeholder shows, and hides the recent files
    ASSERT_EQ(window->UsedFL().entry(0), empty);
    EXPECT_EQ(shown(menu(u"PupFiles"_s)), QStringList{u"（なし）"_s});
    window->OpenDocument(empty); // entry 0 again: the list itself does not change
    ASSERT_EQ(shown(menu(u"PupFiles"_s)).size(), 1);
    EXPECT_TRUE(shown(menu(u"PupFiles"_s)).first().endsWith(u"/empty.txt"_s));
}

TEST_F(Menus, ARecentFileThatWasDeletedLeavesTheMenu) {
    const QString a = writeFile(u"a.txt"_s, "a\r\n");
    const QString b = writeFile(u"b.txt"_s, "b\r\n");
    const QString c = writeFile(u"c.txt"_s, "c\r\n");
    start(a);
    openAll({b, c}); // c, b, a
    QFile::remove(b);
    action(u"ActF1"_s)->trigger();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages.first().type, MsgDlgType::Warning);
    EXPECT_EQ(shown(menu(u"PupFiles"_s)), (QStringList{u"&0 "_s + c, u"&1 "_s + a}));
    EXPECT_FALSE(action(u"ActF2"_s)->isVisible());
    EXPECT_EQ(rows(), (QStringList{u"c"_s})) << "the display stays";
}

TEST_F(Menus, EveryStarLineIsALetteredBookmark) {
    QByteArray text;
    for (int i = 0; i < 12; ++i)
        text += (i == 4 || i == 10 || i == 11 ? "☆ line " : "line ") + QByteArray::number(i) + "\r\n";
    text += "★ black star only\r\n";
    start(writeFile(u"doc.txt"_s, text));
    EXPECT_EQ(shown(menu(u"PopShiori"_s)),
              (QStringList{u"(&A) ☆ line 4"_s, u"(&B) ☆ line 10"_s, u"(&C) ☆ line 11"_s}));
    EXPECT_EQ(shown(menu(u"mSiori"_s)), shown(menu(u"PopShiori"_s)));
    EXPECT_EQ(action(u"ActSI1"_s)->data().toInt(), 10);
    EXPECT_FALSE(action(u"ActSI3"_s)->isVisible());
    EXPECT_FALSE(action(u"ActSINasi"_s)->isVisible());

    window->OpenDocument(writeFile(u"plain.txt"_s, "no stars\r\n"));
    EXPECT_EQ(shown(menu(u"PopShiori"_s)), QStringList{u"（なし）"_s}) << "every load scans anew";
}

TEST_F(Menus, ALongStarLineIsCutToFitWithDots) {
    const QString line = u"☆ "_s + QString(200, u'長');
    start(writeFile(u"doc.txt"_s, line.toUtf8() + "\r\n"));
    const QString caption = action(u"ActSI0"_s)->text();
    ASSERT_TRUE(caption.startsWith(u"(&A) ☆ 長"_s)) << caption.toStdString();
    EXPECT_TRUE(caption.endsWith(u"長..."_s));
    const QFontMetrics metrics(window->LBox->font());
    EXPECT_LE(metrics.horizontalAdvance(caption.mid(5)), 240);
    EXPECT_GT(metrics.horizontalAdvance(caption.mid(5) + u"長"), 240) << "the longest beginning that fits";
}

TEST_F(Menus, JumpingToABookmarkNearTheEndShowsTheLastPageWithTheCaretOnIt) {
    QByteArray text;
    for (int i = 0; i < 300; ++i)
        text += (i == 295 ? "☆ near the end " : "line ") + QByteArray::number(i) + "\r\n";
    start(writeFile(u"doc.txt"_s, text));
    QApplication::processEvents();
    window->LBox->selectionModel()->select(window->LBox->model()->index(3, 0), QItemSelectionModel::Select);
    QTest::mouseClick(window->LBox->viewport(), Qt::LeftButton, Qt::NoModifier,
                      window->LBox->visualRect(window->LBox->model()->index(2, 0)).center());
    ASSERT_EQ(window->copyState(), TSTS::SelN);
    const QModelIndexList selectedBefore = window->LBox->selectionModel()->selectedIndexes();

    action(u"ActSI0"_s)->trigger();
    QApplication::processEvents();
    const int lastTop = window->LBox->verticalScrollBar()->maximum();
    ASSERT_LT(lastTop, 295);
    EXPECT_EQ(window->LBox->indexAt(QPoint(0, 0)).row(), lastTop) << "as far as the list scrolls";
    EXPECT_EQ(window->LBox->currentIndex().row(), 295);
    EXPECT_EQ(window->LBox->selectionModel()->selectedIndexes(), selectedBefore);
    EXPECT_EQ(window->copyState(), TSTS::SelN);
    EXPECT_TRUE(stripsAre(aqua));
}

TEST_F(Menus, ToolButtonsDropTheirMenusDownAndOpenThemOnARightClick) {
    start(writeFile(u"doc.txt"_s, "☆ one\r\n"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    struct Button {
        QToolButton* button;
        QMenu* menu;
        const char16_t* hint;
    } buttons[] = {{window->BtnMenu, window->PupMenu, u"メニュー"},
                   {window->BtnRireki, window->PupFiles, u"文書の履歴"},
                   {window->BtnSiori, window->PopShiori, u"☆の行へジャンプ！"}};
    for (const Button& b : buttons) {
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf16(b.hint));
        EXPECT_EQ(b.button->size(), QSize(23, 22));
        EXPECT_FALSE(b.button->icon().isNull());
        QTest::mouseClick(b.button, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(b.menu)) << b.button->objectName().toStdString();
        EXPECT_EQ(b.menu->pos(), b.button->mapToGlobal(QPoint(0, b.button->height())));
        b.menu->hide();
        const QPoint at(5, 7);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, b.button->mapToGlobal(at));
        QApplication::sendEvent(b.button, &rightClick);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(b.menu));
        EXPECT_EQ(b.menu->pos(), b.button->mapToGlobal(at));
        b.menu->hide();
    }
}

} // namespace
