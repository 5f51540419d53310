#pragma once

#include <array>

// The finder's one form of every character, as the scan reads the text: used by FindText.cpp and
// FindScan.cpp only.
namespace kopix::findfold {

// Every UTF-16 unit in the one form the finder compares: full-width Latin letters, digits and signs as
// ASCII, the ideographic space as a space, half-width katakana full-width, hiragana as katakana (ぁ to ゖ
// as ァ to ヶ, ゝ ゞ as ヽ ヾ; ゟ stays), small kana full-size (ァ as ア, ッ as ツ, ヵ as カ, ㇰ as ク), then
// letter case folded. The long-vowel mark is one character in hiragana and katakana words alike, and
// half-width ｰ is ー. Each unit folds to one unit, so a match is as many folded units as the text to find;
// a kana and the sound mark after it are read as one unit (see FoldedReader). A unit of a surrogate pair
// stands for itself.
class FoldTable {
public:
    FoldTable();
    char16_t operator[](char16_t unit) const { return m_units[unit]; }

private:
    std::array<char16_t, 0x10000> m_units{};
};

const FoldTable& foldTable();

enum class Mark { None, Voiced, SemiVoiced };

// A folded unit that is a sound mark (゛ ゜, and their combining forms).
inline Mark markOf(char16_t folded) {
    switch (folded) {
    case u'\u309B':
    case u'\u3099':
        return Mark::Voiced;
    case u'\u309C':
    case u'\u309A':
        return Mark::SemiVoiced;
    default:
        return Mark::None;
    }
}

// A quick first test for withMark: only the katakana from ウ to ホ take a sound mark; folded, hiragana and
// small kana are among them (か゛ is ガ).
inline bool mayTakeMark(char16_t folded) {
    return folded >= u'ウ' && folded <= u'ホ';
}

// The katakana with its sound mark, or 0 when there is none: ト + ゛ = ド, ハ + ゜ = パ, ウ + ゛ = ヴ.
inline char16_t withMark(char16_t kana, Mark mark) {
    if (mark == Mark::None)
        return 0;
    const bool voicedBase = (kana >= u'カ' && kana <= u'チ' && (kana - u'カ') % 2 == 0) || kana == u'ツ' ||
                            kana == u'テ' || kana == u'ト';
    const bool hBase = kana >= u'ハ' && kana <= u'ホ' && (kana - u'ハ') % 3 == 0;
    if (mark == Mark::Voiced) {
        if (voicedBase || hBase)
            return char16_t(kana + 1);
        return kana == u'ウ' ? u'ヴ' : char16_t(0);
    }
    return hBase ? char16_t(kana + 2) : char16_t(0);
}

// Whether a folded unit is a katakana with its sound mark (ガ, パ, ヴ): one unit of the text, or two.
bool isVoicedKana(char16_t folded);

// Whether a folded unit takes part in reading a katakana and its sound mark as one: a sound mark, a
// katakana that takes one, or a katakana with one. Text without such units folds unit for unit.
bool joinsMarks(char16_t folded);

// Reads the folded units of [at, end): one unit each, or one for a katakana and its sound mark.
struct FoldedReader {
    const char16_t* at;
    const char16_t* end;
    const FoldTable& fold;

    bool atEnd() const { return at == end; }
    char16_t next() {
        char16_t unit = fold[*at++];
        if (at != end && mayTakeMark(unit)) {
            if (const char16_t marked = withMark(unit, markOf(fold[*at]))) {
                unit = marked;
                ++at;
            }
        }
        return unit;
    }
};

} // namespace kopix::findfold
