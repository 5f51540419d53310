#include "core/FindText.h"

#include <gtest/gtest.h>

#include <optional>

using kopix::FindDirection;
using kopix::FindHit;
using kopix::LineStore;
using namespace Qt::StringLiterals;

namespace {

struct FindCase {
    const char* name;
    QStringList lines;
    QString text;
    qsizetype fromRow;
    FindDirection direction;
    std::optional<FindHit> hit; // row, start and length in the row's line
};

class FindingInTheLines : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindingInTheLines, FindsTheRowAndTheMatch) {
    const FindCase& c = GetParam();
    const std::optional<FindHit> hit =
        kopix::findInLines(LineStore::fromLines(c.lines), c.text, c.fromRow, c.direction);
    ASSERT_EQ(hit.has_value(), c.hit.has_value());
    if (hit) {
        EXPECT_EQ(*hit, *c.hit) << "row " << hit->row << " start " << hit->start << " length " << hit->length;
    }
}

constexpr auto Fwd = FindDirection::Forward;
constexpr auto Back = FindDirection::Backward;

// Long enough lines that matches lie inside and across the eight-unit blocks the scan reads.
const QStringList phrases{u"お世話になっております。"_s, u"Mail: Info@Example.com"_s,
                          u"住所　東京都千代田区１－２－３"_s, u"メールアドレスをお知らせください"_s,
                          u"ﾃﾞｰﾀ ﾊﾟｽﾜｰﾄﾞ"_s};

INSTANTIATE_TEST_SUITE_P(
    Rules, FindingInTheLines,
    ::testing::Values(
        FindCase{"letter_case_does_not_count", phrases, u"info@example"_s, 0, Fwd, FindHit{1, 6, 12}},
        FindCase{"full_width_latin_finds_half_width", phrases, u"ＥＸＡＭＰＬＥ"_s, 0, Fwd,
                 FindHit{1, 11, 7}},
        FindCase{"half_width_digits_find_full_width", phrases, u"1-2-3"_s, 0, Fwd, FindHit{2, 10, 5}},
        FindCase{"ideographic_space_is_a_space", phrases, u"住所 東京"_s, 0, Fwd, FindHit{2, 0, 5}},
        FindCase{"half_width_katakana_with_marks", phrases, u"ｱﾄﾞﾚｽ"_s, 0, Fwd, FindHit{3, 3, 4}},
        FindCase{"full_width_katakana_finds_half_width", phrases, u"パスワード"_s, 0, Fwd, FindHit{4, 5, 7}},
        FindCase{"a_voiced_kana_is_not_its_plain_kana", phrases, u"ﾃｰﾀ"_s, 0, Fwd, std::nullopt},
        FindCase{"starts_at_the_current_row", phrases, u"お"_s, 3, Fwd, FindHit{3, 8, 1}},
        FindCase{"wraps_round_at_the_end", phrases, u"世話"_s, 2, Fwd, FindHit{0, 1, 2}},
        FindCase{"backward_from_the_row", phrases, u"お"_s, 2, Back, FindHit{0, 7, 1}},
        FindCase{"backward_takes_the_rows_last_match", phrases, u"お"_s, 3, Back, FindHit{3, 8, 1}},
        FindCase{"backward_wraps_round_at_the_top", phrases, u"ﾃﾞｰﾀ"_s, 0, Back, FindHit{4, 0, 4}},
        FindCase{"no_match", phrases, u"さようなら"_s, 0, Fwd, std::nullopt},
        FindCase{
            "a_match_never_runs_into_the_next_line", {u"abc"_s, u"def"_s}, u"cd"_s, 0, Fwd, std::nullopt},
        FindCase{"a_near_match_gives_way_to_one_inside_it", {u"aaab"_s}, u"aab"_s, 0, Fwd, FindHit{0, 1, 3}},
        FindCase{
            "a_line_too_short_is_passed_over", {u"aaa"_s, u"aaaa"_s}, u"aaaa"_s, 0, Fwd, FindHit{1, 0, 4}},
        FindCase{"voiced_kana_within_a_near_match", {u"ﾄﾞﾄﾞﾄﾞｱ"_s}, u"ドドア"_s, 0, Fwd, FindHit{0, 2, 5}},
        FindCase{"no_match_begins_at_a_kanas_sound_mark", {u"ﾄﾞｱ"_s}, u"゛ｱ"_s, 0, Fwd, std::nullopt},
        FindCase{
            "backward_takes_a_last_match_overlapping_one", {u"aaa"_s}, u"aa"_s, 0, Back, FindHit{0, 1, 2}},
        FindCase{
            "empty_lines_are_passed_over", {u""_s, u""_s, u"x"_s, u""_s}, u"X"_s, 0, Fwd, FindHit{2, 0, 1}},
        FindCase{"nothing_to_find", phrases, u""_s, 0, Fwd, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindingInALine, MarksEveryMatchFromTheLeft) {
    using Matches = std::vector<std::pair<qsizetype, qsizetype>>;
    EXPECT_EQ(kopix::matchesInLine(u"Aaa-AAA"_s, u"aa"_s), (Matches{{0, 2}, {4, 2}}));
    EXPECT_EQ(kopix::matchesInLine(u"ﾄﾞﾄﾞ"_s, u"ド"_s), (Matches{{0, 2}, {2, 2}}));
    EXPECT_TRUE(kopix::matchesInLine(u"abc"_s, u""_s).empty());
}

} // namespace
