#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// The scan behind finding: one pass over the text whatever is looked for, so that no text, however
// much of it nearly matches, costs more than a few looks at each of its characters.
namespace kopix {

// The text to find, made ready for a scan: its folded units (see foldedForFind) and the automaton over them.
class FindPattern {
public:
    explicit FindPattern(QStringView text);

    bool isEmpty() const { return m_folded.isEmpty(); }
    qsizetype size() const { return m_folded.size(); }
    const char16_t* units() const { return reinterpret_cast<const char16_t*>(m_folded.utf16()); }
    char16_t unit(qsizetype index) const { return units()[index]; }
    // For each count of units matched, how many are still matched when the next unit does not continue
    // them: the length of the longest proper prefix of those units that is also their suffix.
    const qsizetype* fallbacks() const { return m_fallbacks.data(); }
    // True when no unit takes part in reading a katakana with its sound mark: a match is then exactly as
    // many units of the document, each folding to its unit of the pattern.
    bool unitForUnit() const { return m_unitForUnit; }

private:
    QString m_folded;
    std::vector<qsizetype> m_fallbacks; // size() + 1 entries, by units matched
    bool m_unitForUnit = true;
};

// Finds where a match can begin, many units of the text at a time: a unit that folds to the pattern's first
// unit (or becomes it with a sound mark) and, where the pattern has one, the right unit a fixed distance
// on. Made once for a search, as it looks through every unit's folded form.
class CandidateFilter {
public:
    explicit CandidateFilter(const FindPattern& pattern);
    ~CandidateFilter();
    CandidateFilter(const CandidateFilter&) = delete;
    CandidateFilter& operator=(const CandidateFilter&) = delete;

    // The first candidate in [from, to) of a text of `length` units, or `to`.
    qsizetype next(const char16_t* text, qsizetype length, qsizetype from, qsizetype to) const;

private:
    struct Lanes;
    bool isCandidate(const char16_t* text, qsizetype length, qsizetype at) const;

    std::vector<char16_t> m_first;
    std::vector<char16_t> m_second; // where a match has a second unit at a fixed distance, at m_secondOffset
    qsizetype m_secondOffset = 0;
    std::unique_ptr<Lanes> m_lanes;
};

// A pattern of at most 63 units as one bit for each: for every unit of the text, the bits of the pattern's
// units it folds to. With them the scan reads a unit by a shift and a mask, one step whatever the units
// before it matched, where the automaton may have to fall back several times. Made once for a search, as it
// looks through every unit's folded form.
class PatternBits {
public:
    static constexpr qsizetype MaxUnits = 63;
    explicit PatternBits(const FindPattern& pattern);

    // What a unit of the text is to the pattern: which of its units the unit folds to, and whether it is a
    // sound mark.
    std::uint8_t kindOf(char16_t unit) const { return m_kinds[unit]; }
    static bool isMark(std::uint8_t kind) { return (kind & (VoicedMark | SemiVoicedMark)) != 0; }
    // What a unit of the text and the sound mark after it (of `markKind`) are read as: 0 for two units, else
    // the kind of the one katakana with its mark.
    std::uint8_t joinedKind(char16_t unit, std::uint8_t markKind) const {
        return m_joined[(markKind & SemiVoicedMark ? 0x10000 : 0) + unit];
    }
    // The bits of the pattern's units that the units of a kind fold to.
    std::uint64_t maskOf(std::uint8_t kind) const { return m_masks[kind]; }

private:
    // A kind is the number of a different folded unit of the pattern (0 for none of them), with flags: a
    // unit that is a sound mark, and which; a unit read with the mark after it.
    static constexpr std::uint8_t VoicedMark = 0x40;
    static constexpr std::uint8_t SemiVoicedMark = 0x80;
    static constexpr std::uint8_t Joined = 0x80;
    std::array<std::uint8_t, 0x10000> m_kinds{};
    std::array<std::uint8_t, 2 * 0x10000> m_joined{}; // for the voiced mark, then the semi-voiced one
    std::array<std::uint64_t, 0x100> m_masks{};       // the same for a kind with any flags
};

// A match: its row, and where it lies in the scanned text, [begin, end).
struct TextMatch {
    qsizetype row = -1;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// Scans lines held one after another in one text, left to right, for a pattern: from a candidate on, an
// automaton reads the folded units and never goes back, so each unit is looked at a bounded number of times.
// A match never runs from one line into the next. The scan can stop anywhere and go on later.
class MatchScan {
public:
    // Whether a match may begin inside the one before it ("aa" twice in "aaa").
    enum class Overlaps { Found, Skipped };

    // `starts`: where each line begins and, last, the end of the text (see LineStore::lineStarts). Without
    // a filter every unit is read, which suits a short text. With the pattern's bits (for a pattern of at
    // most PatternBits::MaxUnits units) the units are read by them, else by the automaton.
    MatchScan(const FindPattern& pattern, const CandidateFilter* filter, const PatternBits* bits,
              const char16_t* text, std::span<const qsizetype> starts, Overlaps overlaps);

    // Goes on from `position` (a line's start, or the end of the text) as if nothing had been scanned.
    void restartAt(qsizetype position);
    // The next match, scanning no further than `limit`; nothing when the scan got there first.
    std::optional<TextMatch> next(qsizetype limit);
    qsizetype position() const { return m_position; }

private:
    template <bool UnitForUnit> std::optional<TextMatch> read(qsizetype limit);
    template <bool UnitForUnit> std::optional<TextMatch> readBits(qsizetype limit);
    qsizetype joinedBegin(qsizetype end) const;
    qsizetype rowOf(qsizetype position) const;

    const FindPattern& m_pattern;
    const CandidateFilter* m_filter;
    const PatternBits* m_bits;
    const char16_t* m_text;
    std::span<const qsizetype> m_starts;
    Overlaps m_overlaps;

    qsizetype m_position = 0;
    // While reading: the row, its end, how many units of the pattern are matched (by the automaton; by the
    // bits, bit i for each i + 1 first units of the pattern that the last units read are), how many units
    // were read since they last matched any, and where the last units read began.
    bool m_reading = false;
    qsizetype m_row = -1;
    qsizetype m_lineEnd = 0;
    qsizetype m_matched = 0;
    std::uint64_t m_matchedBits = 0;
    qsizetype m_idle = 0;
    std::vector<qsizetype> m_unitStarts;
    size_t m_unitsRead = 0;
    // Reading by the bits, where each sound mark joined to the kana before it lay: the last ones, by count
    // (as many as a match can hold, and a power of two).
    std::array<qsizetype, std::bit_ceil(size_t(PatternBits::MaxUnits))> m_joinedMarks{};
    size_t m_marksJoined = 0;
};

} // namespace kopix
