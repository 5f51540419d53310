#pragma once

#include <QString>
#include <QStringView>

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
    // a filter every unit is read by the automaton, which suits a short text.
    MatchScan(const FindPattern& pattern, const CandidateFilter* filter, const char16_t* text,
              std::span<const qsizetype> starts, Overlaps overlaps);

    // Goes on from `position` (a line's start, or the end of the text) as if nothing had been scanned.
    void restartAt(qsizetype position);
    // The next match, scanning no further than `limit`; nothing when the scan got there first.
    std::optional<TextMatch> next(qsizetype limit);
    qsizetype position() const { return m_position; }

private:
    template <bool UnitForUnit> std::optional<TextMatch> read(qsizetype limit);
    qsizetype rowOf(qsizetype position) const;

    const FindPattern& m_pattern;
    const CandidateFilter* m_filter;
    const char16_t* m_text;
    std::span<const qsizetype> m_starts;
    Overlaps m_overlaps;

    qsizetype m_position = 0;
    // While the automaton reads: the row, its end, how many units of the pattern are matched, how many
    // units were read since it last matched any, and where the last units read began.
    bool m_reading = false;
    qsizetype m_row = -1;
    qsizetype m_lineEnd = 0;
    qsizetype m_matched = 0;
    qsizetype m_idle = 0;
    std::vector<qsizetype> m_unitStarts;
    size_t m_unitsRead = 0;
};

} // namespace kopix
