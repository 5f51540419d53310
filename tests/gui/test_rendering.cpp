// How rows are drawn: the highlight rules, selected rows, no "...", the focus frame, the row height.
#include "support/KopixFixture.h"

#include "core/Contrast.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/Fonts.h"
#include "mainwin/Icons.h"
#include "mainwin/LineDelegate.h"
#include "mainwin/ToolStrip.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class Rendering : public KopixFixture {
protected:
    void open(const QByteArray& text) {
        writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
        start(writeFile(u"doc.txt"_s, text));
        window->LBox->setFocus();
        QApplication::processEvents();
    }
    QRect rowRect(int row) const { return window->LBox->visualRect(window->LBox->model()->index(row, 0)); }
    QImage grabRow(int row) const { return window->LBox->viewport()->grab(rowRect(row)).toImage(); }
    static int countPixels(const QImage& image, const std::function<bool(QColor)>& wanted) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += wanted(image.pixelColor(x, y)) ? 1 : 0;
        return count;
    }
    static bool isBlue(QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }
    static bool isRed(QColor c) { return c.red() > 200 && c.blue() < 60 && c.green() < 60; }
    static bool isDark(QColor c) { return c.lightness() < 80; }
};

TEST_F(Rendering, RulesColourUnselectedRowsAndSelectedRowsShowTheHighlight) {
    open("http://example.com/\r\nplain text\r\nhttps://secure\r\n");
    changeSettings([](Settings& s) {
        s.rules = {HighlightRule{u"http"_s, 5, 0x00FF0000}, HighlightRule{u"https"_s, 0, 0x000000FF},
                   HighlightRule{}}; // blue, red
    });
    window->LBox->viewport()->update();

    EXPECT_GT(countPixels(grabRow(0), isBlue), 0) << "rule 1: blue";
    EXPECT_EQ(countPixels(grabRow(0), isRed), 0);
    EXPECT_GT(countPixels(grabRow(2), isRed), 0) << "rule 2 also matches rule 1 and wins";
    EXPECT_EQ(countPixels(grabRow(2), isBlue), 0);
    EXPECT_GT(countPixels(grabRow(1), isDark), 0);
    EXPECT_EQ(countPixels(grabRow(1), isBlue) + countPixels(grabRow(1), isRed), 0);

    window->LBox->selectionModel()->select(window->LBox->model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect);
    const QImage selected = grabRow(0);
    const QColor highlight = window->LBox->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(selected.pixelColor(selected.width() - 3, selected.height() / 2), highlight);
    EXPECT_EQ(countPixels(selected, isBlue), 0) << "no rule on a selected row";
}

// A dark desktop theme: the default blue http rule would stand out from the list by 1.5:1, and the menu's
// dark grey lines not at all. Both are drawn readable, and the stored colour stays as it was.
TEST_F(Rendering, UnderADarkThemeRulesAndPicturesStayReadable) {
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(0x35, 0x35, 0x35)},
                                       {QPalette::Base, QColor(0x2a, 0x2a, 0x2a)},
                                       {QPalette::Button, QColor(0x35, 0x35, 0x35)},
                                       {QPalette::Light, QColor(0x50, 0x50, 0x50)},
                                       {QPalette::Text, QColor(0xee, 0xee, 0xee)},
                                       {QPalette::WindowText, QColor(0xee, 0xee, 0xee)},
                                       {QPalette::ButtonText, QColor(0xee, 0xee, 0xee)}})
        dark.setColor(role, colour);
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    writeFile(u"Sample.txt"_s, "http://example.com/\r\n");
    start(); // a first run: the http rule in blue
    QApplication::processEvents();
    ASSERT_EQ(window->settings().rules[0].color, clBlue);

    const auto contrast = [](QColor a, QColor b) {
        return contrastRatio({a.red(), a.green(), a.blue()}, {b.red(), b.green(), b.blue()});
    };
    // The rule's blue, readable: the focus frame, in the text colour, is no part of it.
    const QColor base = dark.color(QPalette::Base);
    EXPECT_GT(countPixels(
                  grabRow(0),
                  [&](QColor c) { return c.blue() > c.red() + 40 && contrast(c, base) >= ReadableContrast; }),
              20);

    const QImage menu = window->BtnMenu->icon().pixmap(16, 16).toImage();
    EXPECT_GT(countPixels(menu, [](QColor c) { return c.alpha() > 200 && c.lightness() > 200; }), 20)
        << "the menu's lines in the theme's text colour";
}

TEST_F(Rendering, SelectionKeepsItsColoursWhenAnotherWindowIsActive) {
    open("one\r\ntwo\r\n");
    window->LBox->selectionModel()->select(window->LBox->model()->index(1, 0),
                                           QItemSelectionModel::ClearAndSelect);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    const QImage row = grabRow(1);
    EXPECT_EQ(row.pixelColor(row.width() - 3, row.height() / 2),
              window->LBox->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(Rendering, WideRowIsDrawnWholeFromTwoPixelsWithoutEllipsis) {
    const QString wide = u"とても長い行はリストの右端で見えなくなるだけで、省略記号は付かない。"_s;
    open(wide.toUtf8() + "\r\n");
    window->LBox->clearFocus();
    const QImage row = grabRow(0);

    QImage expected(row.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(window->LBox->palette().color(QPalette::Active, QPalette::Base));
    QPainter painter(&expected);
    painter.setFont(window->LBox->font());
    painter.setPen(window->LBox->palette().color(QPalette::Active, QPalette::Text));
    painter.drawText(QPointF(2, QFontMetrics(window->LBox->font()).ascent()), wide);
    painter.end();
    EXPECT_GT(QFontMetrics(window->LBox->font()).horizontalAdvance(wide), row.width()) << "the row is wider";
    EXPECT_EQ(row.convertToFormat(QImage::Format_ARGB32_Premultiplied), expected);
}

// A tab is drawn as the blank it is, not expanded to Qt's 80-pixel stops; a line of any length draws the
// same as its beginning.
TEST_F(Rendering, TabsAreNotExpandedAndALongLineDrawsLikeItsBeginning) {
    QByteArray lines = "a\tb\r\na b\r\na\t\t\tb\r\n";
    QByteArray longLine;
    for (int i = 0; longLine.size() < 2 * 1024 * 1024; ++i)
        longLine += "line " + QByteArray::number(i) + " ";
    lines += longLine + "\r\n" + longLine.first(400) + "\r\n";
    open(lines);
    window->LBox->clearFocus();
    EXPECT_EQ(grabRow(0), grabRow(1)) << "one tab, one blank";
    const QImage threeTabs = grabRow(2);
    const int inkRight = [&] {
        for (int x = threeTabs.width() - 1; x >= 0; --x)
            for (int y = 0; y < threeTabs.height(); ++y)
                if (isDark(threeTabs.pixelColor(x, y)))
                    return x;
        return -1;
    }();
    EXPECT_LT(inkRight, 2 + QFontMetrics(window->LBox->font()).horizontalAdvance(u"a   b"_s) + 2)
        << "'b' stands three blanks after 'a', not at a tab stop";
    EXPECT_EQ(grabRow(3), grabRow(4)) << "what shows of a 2 MB line is its first part";
}

TEST_F(Rendering, EmptyListWithTheFocusShowsAFocusFrame) {
    open("");
    ASSERT_EQ(window->LBox->model()->rowCount(), 3) << "the start document was empty: the placeholder shows";
    window->OpenDocument(writeFile(u"empty.txt"_s, ""));
    ASSERT_EQ(window->LBox->model()->rowCount(), 0);
    window->LBox->setFocus();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(window->LBox->hasFocus());
    const QImage image = window->LBox->viewport()->grab().toImage();
    EXPECT_TRUE(isDark(image.pixelColor(0, 0)) || isDark(image.pixelColor(1, 0)))
        << "the frame's dots run along the first row's top edge";
    EXPECT_FALSE(isDark(image.pixelColor(image.width() / 2, image.height() / 2)));
}

TEST_F(Rendering, RowHeightFollowsTheListFont) {
    open("a\r\nb\r\n");
    const int at11 = rowRect(0).height();
    EXPECT_EQ(at11, QFontMetrics(window->LBox->font()).height());
    QFont bigger = window->LBox->font();
    bigger.setPointSize(24);
    window->LBox->setFont(bigger);
    window->RowHeight();
    QApplication::processEvents();
    EXPECT_EQ(rowRect(0).height(), QFontMetrics(bigger).height());
    EXPECT_GT(rowRect(0).height(), at11);
    EXPECT_EQ(rowRect(1).top(), rowRect(0).bottom() + 1);
}

TEST_F(Rendering, BothToolBarsAreShadedFromLightAtTheTopToDarkerAtTheBottom) {
    open("a\r\n");
    for (ToolStrip* bar : {window->ToolBar1, window->ToolBar2}) {
        SCOPED_TRACE(bar->objectName().toStdString());
        bar->resize(window->width(), bar->height());
        const QImage image = bar->grab().toImage();
        // Right of the buttons, where only the bar itself shows.
        const int x = image.width() - 2;
        ASSERT_GT(x, 4 * TfC::ToolButtonSize.width());
        const QColor top = image.pixelColor(x, 0), bottom = image.pixelColor(x, image.height() - 1);
        EXPECT_GT(top.lightness(), bottom.lightness() + 10);
        EXPECT_EQ(image.pixelColor(x - 20, image.height() / 2), image.pixelColor(x, image.height() / 2));
    }
}

TEST(LineDelegateFont, StyleBitsReplaceTheListFontsStyle) {
    QFont base;
    base.setBold(true);
    base.setItalic(true);
    const QFont underline = styledFont(base, StyleUnderline);
    EXPECT_FALSE(underline.bold());
    EXPECT_FALSE(underline.italic());
    EXPECT_TRUE(underline.underline());
    const QFont all = styledFont(QFont(), StyleBold | StyleItalic | StyleUnderline | StyleStrikeOut);
    EXPECT_TRUE(all.bold() && all.italic() && all.underline() && all.strikeOut());
}

TEST(DesignFont, AsksForTheNamedFaceOnlyWhereTheMachineHasIt) {
    // A face of this machine that is not among the Japanese faces asked for after it.
    QString installed;
    for (const QString& family : QFontDatabase::families())
        if (!designFont(u"No Such Face For Kopix"_s).families().contains(family))
            installed = family;
    ASSERT_FALSE(installed.isEmpty());
    const struct {
        QString face;
        bool asked;
    } cases[] = {
        {installed, true},
        {u"No Such Face For Kopix"_s, false}, // Qt would look for it at every size, style and script
    };
    for (const auto& c : cases) {
        const QStringList families = designFont(c.face, 14).families();
        EXPECT_EQ(families.first() == c.face, c.asked) << families.join(u',').toStdString();
        EXPECT_TRUE(families.contains(u"IPAGothic"_s)) << "the Japanese faces follow";
    }
}

// The command pictures come from the desktop's icon theme where it has them, and never from hicolor, the
// theme Qt falls back on without a desktop, which holds programs' icons only.
TEST(CommandPictures, ComeFromTheDesktopsIconThemeButNotFromHicolor) {
    QTemporaryDir icons;
    for (const char* theme : {"kopixtest", "hicolor"}) {
        QDir(icons.path()).mkpath(QLatin1String(theme) + u"/scalable/actions"_s);
        QFile index(icons.filePath(QLatin1String(theme) + u"/index.theme"_s));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=T\nDirectories=scalable/actions\n\n[scalable/actions]\nSize=16\n"
                    "Type=Scalable\nMinSize=8\nMaxSize=256\n");
        QFile cut(icons.filePath(QLatin1String(theme) + u"/scalable/actions/edit-cut.svg"_s));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write("<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
                  "<rect width='16' height='16' fill='#00ff00'/></svg>");
    }
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({icons.path()});
    const auto middle = [] { return lookUpImage(Image::Cut).pixmap(16, 16).toImage().pixelColor(8, 8); };
    QIcon::setThemeName(u"kopixtest"_s);
    EXPECT_EQ(middle(), QColor(0, 255, 0)) << "the theme's own";
    QIcon::setThemeName(u"hicolor"_s);
    EXPECT_NE(middle(), QColor(0, 255, 0)) << "Kopix's own";
    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);
}

// Kopix's icon comes in each size X window icons are made in, from its own pictures.
TEST(ApplicationIcon, HasEachSizeOfAWindowIcon) {
    const QIcon icon = applicationIcon();
    for (const int size : {16, 32, 64, 128}) {
        const QImage image = icon.pixmap(size, size).toImage();
        EXPECT_EQ(image.size(), QSize(size, size)) << size;
        EXPECT_GT(image.pixelColor(size / 2, size / 2).alpha(), 0) << size << ": drawn, not blank";
    }
}

} // namespace
