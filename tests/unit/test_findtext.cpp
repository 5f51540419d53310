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

// `count` different characters, one after another.
QString kanji(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(0x4E00 + i);
    return text;
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
        FindCase{"near_matches_read_on_into_later_lines",
                 {u"aaaaaaaaaa"_s, u""_s, u"abxx"_s, u"aab"_s, u"aaaaaab"_s},
                 u"aaab"_s,
                 0,
                 Fwd,
                 FindHit{4, 3, 4}},
        FindCase{"a_match_longer_than_a_block_of_near_matches",
                 {QString(50, u'a') + u'b'},
                 QString(40, u'a') + u'b',
                 0,
                 Fwd,
                 FindHit{0, 10, 41}},
        FindCase{"the_longest_text_found_by_bits",
                 {QString(70, u'a') + u'b'},
                 QString(62, u'a') + u'b',
                 0,
                 Fwd,
                 FindHit{0, 8, 63}},
        FindCase{
            "a_text_too_long_for_bits", {u"x"_s + kanji(64) + u"y"_s}, kanji(64), 0, Fwd, FindHit{0, 1, 64}},
        FindCase{"nothing_to_find", phrases, u""_s, 0, Fwd, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Kana as the finder reads them: hiragana and katakana, small and full-size kana, full-width and
// half-width, and a kana with its sound mark as one unit or two. Each text is found inside a longer line
// as the search finds it (the filter, and the pattern's bits) and as a line on the screen is marked (the
// automaton alone).
struct KanaCase {
    const char* name;
    QString pattern;
    QString text;
    std::optional<std::pair<qsizetype, qsizetype>> match; // start and length in the text
};

class FindingKana : public ::testing::TestWithParam<KanaCase> {};

TEST_P(FindingKana, FindsTheSameWithAndWithoutTheFilter) {
    const KanaCase& c = GetParam();
    // Far enough in that the filter passes over blocks of units before it, and not at a block's start.
    const QString before(37, u'-');
    const QString line = before + c.text + QString(40, u'-');
    const std::optional<FindHit> hit =
        kopix::findInLines(LineStore::fromLines({line}), c.pattern, 0, FindDirection::Forward);
    const auto marked = kopix::matchesInLine(line, c.pattern);
    ASSERT_EQ(hit.has_value(), c.match.has_value());
    ASSERT_EQ(marked.empty(), !c.match.has_value());
    if (c.match) {
        const std::pair<qsizetype, qsizetype> expected{before.size() + c.match->first, c.match->second};
        EXPECT_EQ(std::pair(hit->start, hit->length), expected);
        EXPECT_EQ(marked.front(), expected);
    }
}

using Match = std::pair<qsizetype, qsizetype>;

INSTANTIATE_TEST_SUITE_P(
    Kana, FindingKana,
    ::testing::Values(
        KanaCase{"hiragana_finds_katakana", u"あどれす"_s, u"メールアドレス"_s, Match{3, 4}},
        KanaCase{"katakana_finds_hiragana", u"アドレス"_s, u"めーるあどれす"_s, Match{3, 4}},
        KanaCase{"half_width_katakana_finds_hiragana", u"ｱﾄﾞﾚｽ"_s, u"あどれす"_s, Match{0, 4}},
        KanaCase{"voiced_finds_hiragana", u"ガ"_s, u"が"_s, Match{0, 1}},
        KanaCase{"voiced_finds_hiragana_and_mark", u"ガ"_s, u"か゛"_s, Match{0, 2}},
        KanaCase{"voiced_finds_half_width", u"ガ"_s, u"ｶﾞ"_s, Match{0, 2}},
        KanaCase{"voiced_finds_katakana_and_mark", u"ガ"_s, u"カ゛"_s, Match{0, 2}},
        KanaCase{"hiragana_and_combining_mark", u"か\u3099"_s, u"ガ"_s, Match{0, 1}},
        KanaCase{"semi_voiced_hiragana_finds_half_width", u"ぱ"_s, u"ﾊﾟ"_s, Match{0, 2}},
        KanaCase{"semi_voiced_is_not_voiced", u"ぱ"_s, u"ﾊﾞ"_s, std::nullopt},
        KanaCase{"voiced_hiragana_is_not_plain", u"が"_s, u"カ"_s, std::nullopt},
        KanaCase{"hiragana_vu", u"ゔ"_s, u"ｳﾞ"_s, Match{0, 2}},
        KanaCase{"no_match_begins_at_a_hiraganas_mark", u"゛あ"_s, u"か゛あ"_s, std::nullopt},
        KanaCase{"kana_with_marks_one_after_another", u"ガガア"_s, u"か゛か゛あ"_s, Match{0, 5}},
        KanaCase{"a_kana_with_its_mark_before_the_match", u"カア"_s, u"が゛か゛かあ"_s, Match{4, 2}},
        KanaCase{"a_mark_after_four_kana", u"カカカガ"_s, u"かかかか゛"_s, Match{0, 5}},
        KanaCase{"iteration_marks", u"ゝゞ"_s, u"ヽヾ"_s, Match{0, 2}},
        KanaCase{"hiragana_koto_is_not_katakana_koto", u"ゟ"_s, u"ヿ"_s, std::nullopt},
        KanaCase{"full_size_finds_small", u"ツ"_s, u"っ"_s, Match{0, 1}},
        KanaCase{"small_hiragana_finds_katakana", u"ちぇっく"_s, u"チェック"_s, Match{0, 4}},
        KanaCase{"full_size_katakana_finds_small", u"チエツク"_s, u"チェック"_s, Match{0, 4}},
        KanaCase{"half_width_small_finds_full_width", u"ﾁｪｯｸ"_s, u"チェック"_s, Match{0, 4}},
        KanaCase{"small_wa_ka_ke", u"ゎヵヶ"_s, u"ワかけ"_s, Match{0, 3}},
        KanaCase{"small_hiragana_ka_ke", u"ゕゖ"_s, u"カケ"_s, Match{0, 2}},
        KanaCase{"katakana_extension_small_letters", u"ㇰㇿ"_s, u"くろ"_s, Match{0, 2}},
        KanaCase{"long_vowel_in_hiragana", u"こーひー"_s, u"コーヒー"_s, Match{0, 4}},
        KanaCase{"half_width_long_vowel", u"ｺｰﾋｰ"_s, u"こーひー"_s, Match{0, 4}},
        KanaCase{"long_vowel_counts", u"こひ"_s, u"コーヒー"_s, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindingInALine, MarksEveryMatchFromTheLeft) {
    using Matches = std::vector<std::pair<qsizetype, qsizetype>>;
    EXPECT_EQ(kopix::matchesInLine(u"Aaa-AAA"_s, u"aa"_s), (Matches{{0, 2}, {4, 2}}));
    EXPECT_EQ(kopix::matchesInLine(u"ﾄﾞﾄﾞ"_s, u"ド"_s), (Matches{{0, 2}, {2, 2}}));
    EXPECT_TRUE(kopix::matchesInLine(u"abc"_s, u""_s).empty());
}

} // namespace
