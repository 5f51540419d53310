#include "core/CopyText.h"
#include "core/HighlightRules.h"

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

struct CopyCase {
    const char* name;
    QStringList rows;
    RowRanges selected;
    QString text;
};

class CopyTextRules : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopyTextRules, JoinSelectedRowsInListOrder) {
    const CopyCase& c = GetParam();
    EXPECT_EQ(composeCopyText(LineStore::fromLines(c.rows), normalizedRanges(c.selected)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CopyTextRules,
    ::testing::Values(
        CopyCase{"two_rows", {u"A"_s, u"B"_s, u"C"_s}, {{0, 1}}, u"A\r\nB\r\n"_s},
        CopyCase{"one_row_has_no_line_end", {u"x"_s, u"ABC"_s}, {{1, 1}}, u"ABC"_s},
        CopyCase{"empty_row_between", {u"A"_s, u""_s, u"B"_s}, {{0, 2}}, u"A\r\n\r\nB\r\n"_s},
        CopyCase{"empty_row_before_adds_nothing", {u""_s, u"X"_s}, {{0, 1}}, u"X\r\n"_s},
        CopyCase{"two_empty_rows_give_one_line_end", {u""_s, u""_s, u"z"_s}, {{0, 1}}, u"\r\n"_s},
        CopyCase{"one_empty_row_gives_empty_text", {u""_s, u"z"_s}, {{0, 0}}, u""_s},
        CopyCase{"nothing_selected", {u"A"_s}, {}, u""_s},
        CopyCase{"ranges_out_of_order_come_in_row_order",
                 {u"a"_s, u"b"_s, u"c"_s, u"d"_s},
                 {{3, 3}, {0, 0}},
                 u"a\r\nd\r\n"_s},
        CopyCase{"overlapping_ranges_count_rows_once",
                 {u"a"_s, u"b"_s, u"c"_s},
                 {{0, 1}, {1, 2}},
                 u"a\r\nb\r\nc\r\n"_s},
        CopyCase{"text_kept_exactly", {u" \ttab  "_s, u"日本語😀"_s}, {{0, 1}}, u" \ttab  \r\n日本語😀\r\n"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NormalizedRanges, MergesTouchingRanges) {
    EXPECT_EQ(normalizedRanges({{5, 6}, {0, 1}, {2, 3}, {8, 8}}), (RowRanges{{0, 3}, {5, 6}, {8, 8}}));
    EXPECT_EQ(normalizedRanges({{0, 9}, {3, 4}}), (RowRanges{{0, 9}}));
    EXPECT_TRUE(normalizedRanges({}).empty());
}

struct RuleCase {
    const char* name;
    std::array<QString, RuleCount> prefixes;
    QString line;
    int winner;
};

class HighlightRuleMatching : public ::testing::TestWithParam<RuleCase> {};

TEST_P(HighlightRuleMatching, HighestMatchingRuleWins) {
    const RuleCase& c = GetParam();
    std::array<HighlightRule, RuleCount> rules;
    for (size_t n = 0; n < rules.size(); ++n)
        rules[n].prefix = c.prefixes[n];
    EXPECT_EQ(winningRule(c.line, rules), c.winner);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HighlightRuleMatching,
    ::testing::Values(
        RuleCase{"prefix_matches", {u"http"_s, {}, {}}, u"https://x"_s, 0},
        RuleCase{"case_counts", {u"http"_s, {}, {}}, u"HTTP://x"_s, -1},
        RuleCase{"no_trimming", {u"http"_s, {}, {}}, u" http://x"_s, -1},
        RuleCase{"longer_rule_two_wins_over_rule_one", {u"http"_s, u"https"_s, {}}, u"https://x"_s, 1},
        RuleCase{"rule_one_where_rule_two_does_not_match", {u"http"_s, u"https"_s, {}}, u"http://x"_s, 0},
        RuleCase{"rule_three_beats_both", {u"☆"_s, u"☆"_s, u"☆"_s}, u"☆ mark"_s, 2},
        RuleCase{"lower_rule_wins_when_higher_does_not_match", {u"a"_s, u"b"_s, u"ab"_s}, u"abc"_s, 2},
        RuleCase{"empty_prefix_never_matches", {QString(), QString(), QString()}, u"anything"_s, -1},
        RuleCase{"line_equal_to_prefix_matches", {u"http"_s, {}, {}}, u"http"_s, 0},
        RuleCase{"line_one_shorter_does_not", {u"http"_s, {}, {}}, u"htt"_s, -1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
