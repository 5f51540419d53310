// The main menu with the real pointer and keyboard: a right click in the list, then its access keys.
#include "support/RealKopixFixture.h"

#include "mainwin/DocumentListView.h"

#include <QApplication>
#include <QMenu>

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
        for (const QString& name : names) {
            xdotool({u"key"_s, name});
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

} // namespace
