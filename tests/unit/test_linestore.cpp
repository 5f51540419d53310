#include "core/LineStore.h"

#include <gtest/gtest.h>

using kopix::LineStore;
using namespace Qt::StringLiterals;

namespace {

QStringList rowsOf(const LineStore& store) {
    QStringList rows;
    for (qsizetype i = 0; i < store.count(); ++i)
        rows.append(store.line(i).toString());
    return rows;
}

struct SplitCase {
    const char* name;
    QString text;
    QStringList rows;
};

class LineSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineSplitting, GivesTheRowsOfTheText) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(rowsOf(LineStore::fromText(c.text)), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, LineSplitting,
    ::testing::Values(SplitCase{"crlf", u"a\r\nb\r\nc"_s, {u"a"_s, u"b"_s, u"c"_s}},
                      SplitCase{"cr_only", u"a\rb\rc"_s, {u"a"_s, u"b"_s, u"c"_s}},
                      SplitCase{"lf_only", u"a\nb\nc"_s, {u"a"_s, u"b"_s, u"c"_s}},
                      SplitCase{"mixed", u"a\r\nb\rc\nd"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s}},
                      SplitCase{"final_break_adds_no_row", u"a\r\nb\r\n"_s, {u"a"_s, u"b"_s}},
                      SplitCase{"lf_then_cr_is_two_breaks", u"a\n\rb"_s, {u"a"_s, u""_s, u"b"_s}},
                      SplitCase{"empty_text_no_rows", u""_s, {}},
                      SplitCase{"only_a_break", u"\r\n"_s, {u""_s}},
                      SplitCase{"blank_rows_kept", u"\r\n\r\nx"_s, {u""_s, u""_s, u"x"_s}},
                      SplitCase{"nul_ends_text", QStringView(u"ab\0cd\r\nef", 9).toString(), {u"ab"_s}},
                      SplitCase{"nul_at_start", QStringView(u"\0abc", 4).toString(), {}},
                      SplitCase{"japanese_and_surrogates", u"日本語\r\n😀x"_s, {u"日本語"_s, u"😀x"_s}},
                      SplitCase{"tabs_stay", u"a\tb"_s, {u"a\tb"_s}},
                      // Breaks at every place of an eight-unit block, a CR LF across two blocks
                      SplitCase{"breaks_inside_long_runs",
                                u"0123456\r\n89abcdefghijklm\rnopqrstuvwxyz0123\n\n"_s,
                                {u"0123456"_s, u"89abcdefghijklm"_s, u"nopqrstuvwxyz0123"_s, u""_s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineStore, JoinsEveryLineWithCrLfForTheEditor) {
    EXPECT_EQ(LineStore::fromText(u"a\nb"_s).joinedWithCrLf(), u"a\r\nb\r\n"_s);
    EXPECT_EQ(LineStore::fromText(QString()).joinedWithCrLf(), QString());
    // In UTF-8, made in pieces: the same bytes, a lone surrogate as U+FFFD, pairs whole across pieces.
    QString many;
    for (int i = 0; i < 20000; ++i)
        many += u"行😀"_s + QString::number(i) + u"\r\n"_s;
    for (const QString& text : QStringList{u"a\nb"_s, QString(), u"a"_s + QChar(0xD800) + u"\nb"_s, many}) {
        const LineStore store = LineStore::fromText(text);
        const QByteArray utf8 = store.joinedWithCrLf().toUtf8();
        EXPECT_EQ(store.utf8WithCrLf(), utf8) << text.size();
        // And the editor's text is known to be it, or not: one byte changed, missing or added anywhere.
        EXPECT_TRUE(store.isUtf8WithCrLf(utf8)) << text.size();
        EXPECT_FALSE(store.isUtf8WithCrLf(QByteArray(utf8 + "x"))) << text.size();
        if (utf8.isEmpty())
            continue;
        EXPECT_FALSE(store.isUtf8WithCrLf(utf8.chopped(1))) << text.size();
        QByteArray changed = utf8;
        changed[changed.size() / 2] = '#';
        EXPECT_FALSE(store.isUtf8WithCrLf(changed)) << text.size();
    }
}

TEST(LineStore, FromLinesKeepsEmptyLines) {
    const LineStore store = LineStore::fromLines({u"x"_s, QString(), u"y"_s});
    EXPECT_EQ(rowsOf(store), (QStringList{u"x"_s, QString(), u"y"_s}));
    EXPECT_EQ(store.textLength(), 2);
}

TEST(LineStore, ManyLinesShareOneBufferWithoutLosingText) {
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QString::number(i) + (i % 3 == 0 ? u"\r\n"_s : i % 3 == 1 ? u"\n"_s : u"\r"_s);
    const LineStore store = LineStore::fromText(text);
    ASSERT_EQ(store.count(), 5000);
    for (int i = 0; i < 5000; i += 499)
        EXPECT_EQ(store.line(i).toString(), QString::number(i));
    EXPECT_EQ(store.line(4999).toString(), u"4999"_s);
}

} // namespace
