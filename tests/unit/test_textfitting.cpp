#include "core/Bookmarks.h"
#include "core/TextFitting.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

// Every code unit ten pixels wide.
int tenEach(QStringView text) {
    return int(text.size()) * 10;
}

// The candidates ShortenPath tries, in order: the first that fits is taken.
TEST(ShortenPath, TriesTheCandidatesInOrder) {
    struct Case {
        const char* name;
        QString path;
        QStringList candidates;
    } cases[] = {
        {"rooted path",
         u"/home/me/Documents/memo.txt"_s,
         {u"/home/me/Documents/memo.txt"_s, u"/.../me/Documents/memo.txt"_s, u"/.../Documents/memo.txt"_s,
          u"/.../memo.txt"_s, u".../memo.txt"_s, u"memo.txt"_s}},
        {"path in the current folder",
         u"docs/sub/memo.txt"_s,
         {u"docs/sub/memo.txt"_s, u".../sub/memo.txt"_s, u".../memo.txt"_s, u"memo.txt"_s}},
        {"file in the root", u"/memo.txt"_s, {u"/memo.txt"_s, u"memo.txt"_s}},
        {"name only", u"memo.txt"_s, {u"memo.txt"_s}},
        {"folder beginning with a full stop",
         u"/home/me/.config/x.txt"_s,
         {u"/home/me/.config/x.txt"_s, u"/.../me/.config/x.txt"_s, u"/.../.config/x.txt"_s, u"/.../x.txt"_s,
          u".../x.txt"_s, u"x.txt"_s}},
        {"only a full-stop folder", u".config/x.txt"_s, {u".config/x.txt"_s, u".../x.txt"_s, u"x.txt"_s}},
        {"two slashes in front",
         u"//server/share/memo.txt"_s,
         {u"//server/share/memo.txt"_s, u"/.../server/share/memo.txt"_s, u"/.../share/memo.txt"_s,
          u"/.../memo.txt"_s, u".../memo.txt"_s, u"memo.txt"_s}},
    };
    for (const Case& c : cases) {
        // At the width of each candidate, the first candidate that is no wider is the one taken.
        for (const QString& candidate : c.candidates) {
            const int maxWidth = tenEach(candidate);
            const QString expected =
                *std::find_if(c.candidates.cbegin(), c.candidates.cend(),
                              [&](const QString& other) { return tenEach(other) <= maxWidth; });
            EXPECT_EQ(ShortenPath(c.path, tenEach, maxWidth), expected) << c.name << " at " << maxWidth;
        }
        EXPECT_EQ(ShortenPath(c.path, tenEach, 0), c.candidates.last())
            << c.name << ": the name is never cut";
    }
}

TEST(ShortenPath, AVeryLongNameStaysWhole) {
    const QString name = QString(500, u'x') + u".txt";
    EXPECT_EQ(ShortenPath(QString(u"/a/b/" + name), tenEach, 240), name);
}

TEST(EllipsisText, WholeWhenItFitsElseTheLongestBeginningWithDots) {
    struct Case {
        const char* name;
        QString text;
        int maxWidth;
        QString result;
    } cases[] = {
        {"fits", u"abcd"_s, 40, u"abcd"_s},
        {"one character over", u"abcde"_s, 40, u"a..."_s},
        {"room for the dots only", u"abcde"_s, 30, u"..."_s},
        {"surrogate pair not halved", u"ab\U0001F600cdef"_s, 60, u"ab..."_s},
        {"surrogate pair kept whole", u"ab\U0001F600cdef"_s, 70, u"ab\U0001F600..."_s},
        {"megabytes of text", QString(3'000'000, u'x'), 240, QString(21, u'x') + u"..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EllipsisText(c.text, tenEach, c.maxWidth), c.result) << c.name;
}

TEST(MenuItemText, OneLineWithAmpersandsShown) {
    EXPECT_EQ(menuItemText(u"Q&A.txt"_s), u"Q&&A.txt"_s);
    EXPECT_EQ(menuItemText(u"a\tb\u2028c\x0b"_s), u"a b c "_s);
    EXPECT_EQ(singleLineText(u"a&b\tc"_s), u"a&b c"_s);
}

LineStore linesOf(const QStringList& lines) {
    return LineStore::fromLines(lines);
}

TEST(Bookmarks, EveryLineWithAWhiteStarUpToTwentySix) {
    EXPECT_TRUE(bookmarkLines(linesOf({u"a"_s, u"b"_s})).empty());
    EXPECT_TRUE(bookmarkLines(linesOf({u"★ black"_s, u"☆"_s.left(0)})).empty()) << "the black star is none";
    const LineStore mixed = linesOf(
        {u""_s, u"☆start"_s, u"plain"_s, u"mid☆dle"_s, u""_s, u"end☆"_s, u"☆two☆stars☆"_s, u"★"_s, u""_s});
    EXPECT_EQ(bookmarkLines(mixed), (std::vector<qsizetype>{1, 3, 5, 6}));
    QStringList thirty;
    for (int i = 0; i < 30; ++i)
        thirty << u"x"_s << u"☆ %1"_s.arg(i);
    const std::vector<qsizetype> found = bookmarkLines(linesOf(thirty));
    ASSERT_EQ(found.size(), 26u);
    EXPECT_EQ(found.front(), 1);
    EXPECT_EQ(found.back(), 51);
    EXPECT_TRUE(bookmarkLines(LineStore()).empty());
}

TEST(Bookmarks, CaptionIsLetteredAndFitted) {
    EXPECT_EQ(bookmarkCaption(0, u"☆ Q&A"_s, tenEach, 240), u"(&A) ☆ Q&&A"_s);
    EXPECT_EQ(bookmarkCaption(25, u"☆\tx"_s, tenEach, 240), u"(&Z) ☆ x"_s);
    EXPECT_EQ(bookmarkCaption(1, QString(30, u'☆'), tenEach, 240), u"(&B) "_s + QString(21, u'☆') + u"...");
}

TEST(LineStoreLookup, PositionsMapToTheirLines) {
    const LineStore lines = linesOf({u"ab"_s, u""_s, u""_s, u"c"_s, u"de"_s});
    // text: "abcde"; lines 1 and 2 are empty and start where line 3 does
    const std::pair<qsizetype, qsizetype> cases[] = {{0, 0}, {1, 0}, {2, 3}, {3, 4}, {4, 4}};
    for (const auto& [position, line] : cases)
        EXPECT_EQ(lines.lineAt(position), line) << position;
    EXPECT_EQ(LineStore().lineAt(0), -1);
}

} // namespace
