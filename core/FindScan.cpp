#include "core/FindScan.h"

#include "core/FindFold.h"
#include "core/FindText.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kopix {

using namespace findfold;

FindPattern::FindPattern(QStringView text) : m_folded(foldedForFind(text)) {
    const qsizetype size = m_folded.size();
    m_fallbacks.assign(size_t(size) + 1, 0);
    for (qsizetype i = 1, matched = 0; i < size; ++i) {
        while (matched > 0 && unit(i) != unit(matched))
            matched = m_fallbacks[size_t(matched)];
        if (unit(i) == unit(matched))
            ++matched;
        m_fallbacks[size_t(i) + 1] = matched;
    }
    m_unitForUnit = std::none_of(m_folded.cbegin(), m_folded.cend(),
                                 [](QChar unit) { return joinsMarks(unit.unicode()); });
}

struct CandidateFilter::Lanes {
#if defined(__SSE2__)
    struct Unit {
        __m128i inEveryLane;
    };
    // A vector for each candidate unit.
    std::vector<Unit> first;
    std::vector<Unit> second;

    static __m128i load(const char16_t* at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    }
    // Two bits for each of the eight units from `at` that is one of `units`.
    static int hits(const std::vector<Unit>& units, const char16_t* at) {
        const __m128i block = load(at);
        __m128i any = _mm_setzero_si128();
        for (const Unit& unit : units)
            any = _mm_or_si128(any, _mm_cmpeq_epi16(block, unit.inEveryLane));
        return _mm_movemask_epi8(any);
    }
    // Whether any of the 32 units from `at` is one of `units`.
    static bool anyOf32(const std::vector<Unit>& units, const char16_t* at) {
        const __m128i a = load(at), b = load(at + 8), c = load(at + 16), d = load(at + 24);
        __m128i any = _mm_setzero_si128();
        for (const Unit& unit : units) {
            const __m128i u = unit.inEveryLane;
            any = _mm_or_si128(any, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(a, u), _mm_cmpeq_epi16(b, u)),
                                                 _mm_or_si128(_mm_cmpeq_epi16(c, u), _mm_cmpeq_epi16(d, u))));
        }
        return _mm_movemask_epi8(any) != 0;
    }
#endif
};

CandidateFilter::CandidateFilter(const FindPattern& pattern) : m_lanes(std::make_unique<Lanes>()) {
    // A second unit to look at, at a fixed distance from the first, as far off as can be: every unit before
    // it must be one unit of the text, which all are but a voiced katakana (ガ, or カ and its mark).
    const qsizetype size = pattern.size();
    const char16_t first = pattern.unit(0);
    const char16_t* voiced = std::find_if(pattern.units(), pattern.units() + size - 1, isVoicedKana);
    m_secondOffset = voiced - pattern.units();
    const char16_t second = m_secondOffset > 0 ? pattern.unit(m_secondOffset) : char16_t(0);
    // The units of the text a folded unit can begin with: its own, or a katakana that takes a sound mark.
    const auto begins = [](char16_t folded, char16_t wanted) {
        return folded == wanted || (wanted != 0 && (withMark(folded, Mark::Voiced) == wanted ||
                                                    withMark(folded, Mark::SemiVoiced) == wanted));
    };
    const FoldTable& fold = foldTable();
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const char16_t folded = fold[char16_t(u)];
        if (begins(folded, first))
            m_first.push_back(char16_t(u));
        if (m_secondOffset > 0 && begins(folded, second))
            m_second.push_back(char16_t(u));
    }
#if defined(__SSE2__)
    for (const char16_t unit : m_first)
        m_lanes->first.push_back({_mm_set1_epi16(short(unit))});
    for (const char16_t unit : m_second)
        m_lanes->second.push_back({_mm_set1_epi16(short(unit))});
#endif
}

CandidateFilter::~CandidateFilter() = default;

bool CandidateFilter::isCandidate(const char16_t* text, qsizetype length, qsizetype at) const {
    const auto holds = [](const std::vector<char16_t>& units, char16_t unit) {
        return std::find(units.begin(), units.end(), unit) != units.end();
    };
    return holds(m_first, text[at]) &&
           (m_second.empty() || (at + m_secondOffset < length && holds(m_second, text[at + m_secondOffset])));
}

qsizetype CandidateFilter::next(const char16_t* text, qsizetype length, qsizetype from, qsizetype to) const {
#if defined(__SSE2__)
    // Most of the text holds no candidate: passed over 32 units at a time, where no first unit is, or no
    // second one where it would be. Elsewhere eight at a time.
    const qsizetype blocksEnd = m_second.empty() ? to : std::min(to, length - m_secondOffset);
    const auto noneIn32 = [&](qsizetype at) {
        return !Lanes::anyOf32(m_lanes->first, text + at) ||
               (!m_second.empty() && !Lanes::anyOf32(m_lanes->second, text + at + m_secondOffset));
    };
    while (blocksEnd - from >= 8) {
        while (blocksEnd - from >= 32 && noneIn32(from))
            from += 32;
        for (const qsizetype stretchEnd = from + 32; blocksEnd - from >= 8 && from < stretchEnd; from += 8) {
            int hits = Lanes::hits(m_lanes->first, text + from);
            if (hits && !m_second.empty())
                hits &= Lanes::hits(m_lanes->second, text + from + m_secondOffset);
            if (hits)
                return from + std::countr_zero(unsigned(hits)) / 2;
        }
    }
#endif
    for (; from < to; ++from) {
        if (isCandidate(text, length, from))
            return from;
    }
    return to;
}

PatternBits::PatternBits(const FindPattern& pattern) {
    Q_ASSERT(pattern.size() <= MaxUnits);
    // A kind for each different folded unit of the pattern, by the folded unit.
    std::vector<std::uint8_t> kindOf(0x10000, 0);
    std::uint8_t kinds = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        std::uint8_t& kind = kindOf[pattern.unit(i)];
        if (kind == 0)
            kind = ++kinds;
        m_masks[kind] |= std::uint64_t(1) << i;
    }
    for (size_t flagged = 0; flagged < m_masks.size(); ++flagged)
        m_masks[flagged] = m_masks[flagged & ~size_t(VoicedMark | SemiVoicedMark)];
    const FoldTable& fold = foldTable();
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const char16_t folded = fold[char16_t(u)];
        const Mark mark = markOf(folded);
        m_kinds[u] = std::uint8_t(kindOf[folded] | (mark == Mark::Voiced       ? VoicedMark
                                                    : mark == Mark::SemiVoiced ? SemiVoicedMark
                                                                               : 0));
        if (!mayTakeMark(folded))
            continue;
        // A katakana with its mark folds to itself.
        if (const char16_t voiced = withMark(folded, Mark::Voiced))
            m_joined[u] = std::uint8_t(kindOf[voiced] | Joined);
        if (const char16_t semiVoiced = withMark(folded, Mark::SemiVoiced))
            m_joined[0x10000 + u] = std::uint8_t(kindOf[semiVoiced] | Joined);
    }
}

namespace {

// After this many units that match nothing of the pattern, the scan goes back to the filter: often enough
// to skip what cannot match, seldom enough that the filter's start costs little where candidates are dense.
constexpr qsizetype IdleUnits = 16;

// Reading by the bits, the units read between two looks at whether any matched (and so back to the
// filter) and at whether a sound mark joins a unit to the one before it.
constexpr qsizetype BlockUnits = 32;

} // namespace

MatchScan::MatchScan(const FindPattern& pattern, const CandidateFilter* filter, const PatternBits* bits,
                     const char16_t* text, std::span<const qsizetype> starts, Overlaps overlaps)
    : m_pattern(pattern), m_filter(filter), m_bits(bits), m_text(text), m_starts(starts),
      m_overlaps(overlaps), m_unitStarts(pattern.unitForUnit() ? 0 : std::bit_ceil(size_t(pattern.size()))) {
    Q_ASSERT(!bits || pattern.size() <= PatternBits::MaxUnits);
}

void MatchScan::restartAt(qsizetype position) {
    m_position = position;
    m_reading = false;
    m_row = -1;
}

qsizetype MatchScan::rowOf(qsizetype position) const {
    // The last line starting at or before the position (an empty line shares its start with the line
    // after it, which holds the unit there). Galloping on from the row read last: the scan moves forward,
    // mostly by a line or a few.
    const qsizetype* starts = m_starts.data();
    const qsizetype lines = qsizetype(m_starts.size()) - 1;
    qsizetype low = m_row >= 0 && starts[m_row] <= position ? m_row : 0;
    qsizetype high = low + 1;
    for (qsizetype step = 1; high < lines && starts[high] <= position; step *= 2) {
        low = high;
        high = std::min(lines, high + step);
    }
    return qsizetype(std::upper_bound(starts + low + 1, starts + high, position) - starts) - 1;
}

std::optional<TextMatch> MatchScan::next(qsizetype limit) {
    const qsizetype length = m_starts.back();
    limit = std::min(limit, length);
    while (m_position < limit) {
        if (!m_reading) {
            const qsizetype at = m_filter ? m_filter->next(m_text, length, m_position, limit) : m_position;
            if (at >= limit) {
                m_position = limit;
                break;
            }
            m_row = rowOf(at);
            m_lineEnd = m_starts[size_t(m_row) + 1];
            // A sound mark read together with the katakana before it begins no match of its own.
            const FoldTable& fold = foldTable();
            if (at > m_starts[size_t(m_row)] &&
                withMark(fold[m_text[at - 1]], markOf(fold[m_text[at]])) != 0) {
                m_position = at + 1;
                continue;
            }
            m_position = at;
            m_reading = true;
            m_matched = 0;
            m_matchedBits = 0;
            m_marksJoined = 0;
            m_idle = 0;
        }
        const bool unitForUnit = m_pattern.unitForUnit();
        if (std::optional<TextMatch> match =
                m_bits ? (unitForUnit ? readBits<true>(limit) : readBits<false>(limit))
                       : (unitForUnit ? read<true>(limit) : read<false>(limit)))
            return match;
    }
    return std::nullopt;
}

template <bool UnitForUnit> std::optional<TextMatch> MatchScan::read(qsizetype limit) {
    const FoldTable& fold = foldTable();
    const char16_t* wanted = m_pattern.units();
    const qsizetype* fallbacks = m_pattern.fallbacks();
    const qsizetype size = m_pattern.size();
    const size_t ringMask = m_unitStarts.size() - 1;
    // Kept in locals while reading: the compiler cannot tell that the ring of unit starts leaves them be.
    qsizetype position = m_position;
    qsizetype matched = m_matched;
    qsizetype idle = m_idle;
    size_t unitsRead = m_unitsRead;
    const auto stop = [&](bool reading) {
        m_position = position;
        m_matched = matched;
        m_idle = idle;
        m_unitsRead = unitsRead;
        m_reading = reading;
    };
    while (position < limit) {
        if (m_lineEnd - position < size - matched) {
            // Too few units left in the line for a match: the scan goes on at the next line.
            position = m_lineEnd;
            stop(false);
            return std::nullopt;
        }
        [[maybe_unused]] const qsizetype unitStart = position;
        char16_t unit = fold[m_text[position++]];
        if constexpr (!UnitForUnit) {
            if (position < m_lineEnd && mayTakeMark(unit)) {
                if (const char16_t marked = withMark(unit, markOf(fold[m_text[position]]))) {
                    unit = marked;
                    ++position;
                }
            }
            m_unitStarts[unitsRead++ & ringMask] = unitStart;
        }
        while (matched > 0 && wanted[matched] != unit)
            matched = fallbacks[matched];
        if (wanted[matched] == unit)
            ++matched;
        if (matched == size) {
            const qsizetype begin =
                UnitForUnit ? position - size : m_unitStarts[(unitsRead - size_t(size)) & ringMask];
            matched = m_overlaps == Overlaps::Found ? fallbacks[size] : 0;
            idle = 0;
            stop(true);
            return TextMatch{m_row, begin, position};
        }
        if (matched > 0) {
            idle = 0;
        } else if (m_filter && ++idle >= IdleUnits) {
            stop(false);
            return std::nullopt;
        }
    }
    stop(true);
    return std::nullopt;
}

qsizetype MatchScan::joinedBegin(qsizetype end) const {
    // The pattern's units back from the end, one unit of the text each but a kana read with its mark, two. A
    // match holds no more marks than the last ones kept.
    qsizetype begin = end - m_pattern.size();
    const size_t kept = m_joinedMarks.size();
    for (size_t n = m_marksJoined;
         n > 0 && m_marksJoined - n < kept && m_joinedMarks[(n - 1) % kept] >= begin; --n)
        --begin;
    return begin;
}

// As read, by the pattern's bits: a unit read moves every partial match on at once. While units go on
// matching, the reading goes on from line to line without the filter, which a text of near matches would
// only hold up.
template <bool UnitForUnit> std::optional<TextMatch> MatchScan::readBits(qsizetype limit) {
    const PatternBits& bits = *m_bits;
    const char16_t* const text = m_text;
    const qsizetype* const starts = m_starts.data();
    const qsizetype size = m_pattern.size();
    const std::uint64_t whole = std::uint64_t(1) << (size - 1);
    // Kept in locals while reading, as in read (a count kept in a member would go through memory for each
    // kana read with its mark).
    qsizetype position = m_position;
    qsizetype row = m_row;
    qsizetype lineEnd = m_lineEnd;
    std::uint64_t matched = m_matchedBits;
    size_t marksJoined = m_marksJoined;
    qsizetype* const joinedMarks = m_joinedMarks.data();
    const auto stop = [&](bool reading) {
        m_position = position;
        m_row = row;
        m_lineEnd = lineEnd;
        m_matchedBits = matched;
        m_marksJoined = marksJoined;
        m_reading = reading;
    };
    const auto step = [&](std::uint8_t kind) {
        matched = ((matched << 1) | 1) & bits.maskOf(kind);
        return (matched & whole) != 0;
    };
    const auto found = [&] {
        m_marksJoined = marksJoined;
        const TextMatch match{row, UnitForUnit ? position - size : joinedBegin(position), position};
        matched = m_overlaps == Overlaps::Found ? matched & ~whole : 0;
        stop(true);
        return match;
    };
    while (position < limit) {
        if (position == lineEnd) {
            // On to the next line that has units, afresh, as no match runs from one line into the next; past
            // it when it is too short for a match.
            do
                ++row;
            while (starts[row + 1] == position);
            lineEnd = starts[row + 1];
            matched = 0;
            if (lineEnd - position < size)
                position = lineEnd;
            continue;
        }
        const qsizetype blockEnd = std::min({limit, lineEnd, position + BlockUnits});
        std::uint64_t seen = 0;
        // Four units at a time where none is joined to a sound mark after it, the state moving on once for
        // two units by the masks of both (bit i stays set for i + 2 units matched where bit i - 2 was and
        // both units match their places). One by one from four where a match ends or a mark is.
        while (blockEnd - position >= 4 && (UnitForUnit || lineEnd - position > 4)) {
            const std::uint8_t kinds[] = {bits.kindOf(text[position]), bits.kindOf(text[position + 1]),
                                          bits.kindOf(text[position + 2]), bits.kindOf(text[position + 3])};
            if constexpr (!UnitForUnit) {
                if (PatternBits::isMark(kinds[1] | kinds[2] | kinds[3] | bits.kindOf(text[position + 4])))
                    break;
            }
            const std::uint64_t firstTwo = ((bits.maskOf(kinds[0]) << 1) | 1) & bits.maskOf(kinds[1]);
            const std::uint64_t lastTwo = ((bits.maskOf(kinds[2]) << 1) | 1) & bits.maskOf(kinds[3]);
            const std::uint64_t afterFirst = ((matched << 1) | 1) & bits.maskOf(kinds[0]);
            const std::uint64_t afterSecond = ((matched << 2) | 3) & firstTwo;
            const std::uint64_t afterThird = ((afterSecond << 1) | 1) & bits.maskOf(kinds[2]);
            const std::uint64_t afterFourth = ((afterSecond << 2) | 3) & lastTwo;
            const std::uint64_t any = afterFirst | afterSecond | afterThird | afterFourth;
            if (any & whole)
                break;
            seen |= any;
            matched = afterFourth;
            position += 4;
        }
        while (position < blockEnd) {
            const char16_t unit = text[position++];
            std::uint8_t kind = bits.kindOf(unit);
            if constexpr (!UnitForUnit) {
                if (position < lineEnd) {
                    if (const std::uint8_t next = bits.kindOf(text[position]); PatternBits::isMark(next)) {
                        if (const std::uint8_t joined = bits.joinedKind(unit, next)) {
                            kind = joined;
                            joinedMarks[marksJoined++ % m_joinedMarks.size()] = position++;
                        }
                    }
                }
            }
            if (step(kind))
                return found();
            seen |= matched;
        }
        if (seen == 0 && m_filter) {
            // Nothing matched in the block: the filter finds where a match may begin.
            stop(false);
            return std::nullopt;
        }
    }
    stop(true);
    return std::nullopt;
}

} // namespace kopix
