#include "core/FindText.h"

#include "core/FindScan.h"

#include <algorithm>
#include <array>
#include <limits>

namespace kopix {

namespace {

const char16_t* unitsOf(QStringView text) {
    return reinterpret_cast<const char16_t*>(text.utf16());
}

// Backwards the lines are scanned forward a piece at a time, from the row going up, the last match of a
// piece being the one nearest the row. Each piece is as long as all before it together, so that the part of
// a piece scanned beyond the match costs no more than the way there; the first is short, as the row
// wanted is mostly near.
constexpr qsizetype FirstPiece = qsizetype(1) << 16;

} // namespace

struct LineSearch::State {
    State(const LineStore& lines, QStringView text, qsizetype fromRow, FindDirection direction)
        : lines(lines), pattern(text),
          filter(pattern.isEmpty() ? nullptr : std::make_unique<CandidateFilter>(pattern)),
          bits(pattern.isEmpty() || pattern.size() > PatternBits::MaxUnits
                   ? nullptr
                   : std::make_unique<PatternBits>(pattern)),
          scan(pattern, filter.get(), bits.get(), unitsOf(lines.text()), lines.lineStarts(),
               direction == FindDirection::Forward ? MatchScan::Overlaps::Skipped
                                                   : MatchScan::Overlaps::Found),
          direction(direction),
          fromRow(std::clamp<qsizetype>(fromRow, 0, std::max<qsizetype>(lines.count() - 1, 0))) {
        if (pattern.isEmpty() || lines.isEmpty()) {
            finished = true;
        } else if (direction == FindDirection::Forward) {
            // From the row's start to the end of the text, then from the top up to the row.
            first = this->fromRow;
            end = lines.count();
            scan.restartAt(lines.lineStart(first));
        } else {
            // From the row's end up to the top, then from the end of the text up to the row.
            end = this->fromRow + 1;
            choosePiece();
        }
    }

    // The rows of the next piece going up, ending at `end`: as many as make up about the characters
    // scanned so far, leaving a long row that reaches beyond them for the next piece when it is not alone.
    void choosePiece() {
        const qsizetype endPosition = lines.lineStart(end);
        const qsizetype reach = endPosition - std::max(FirstPiece, scannedBack);
        if (reach <= lines.lineStart(low)) {
            first = low;
        } else {
            first = lines.lineAt(reach);
            if (lines.lineStart(first) < reach && first + 1 < end)
                ++first;
        }
        scan.restartAt(lines.lineStart(first));
        lastMatch.reset();
    }

    // When the rows [first, end) are scanned.
    void rowsScanned() {
        if (direction == FindDirection::Forward) {
            if (!wrapped && fromRow > 0) {
                wrapped = true;
                first = 0;
                end = fromRow;
                scan.restartAt(0);
            } else {
                finished = true;
            }
            return;
        }
        if (lastMatch) {
            finish(*lastMatch);
            return;
        }
        scannedBack += lines.charactersIn(first, end - 1);
        end = first;
        if (end == low && !wrapped) {
            wrapped = true;
            low = fromRow + 1;
            end = lines.count();
        }
        if (end == low)
            finished = true;
        else
            choosePiece();
    }

    void finish(const TextMatch& match) {
        hit = FindHit{match.row, match.begin - lines.lineStart(match.row), match.end - match.begin};
        finished = true;
    }

    const LineStore& lines;
    FindPattern pattern;
    std::unique_ptr<CandidateFilter> filter;
    std::unique_ptr<PatternBits> bits;
    MatchScan scan;
    FindDirection direction;
    qsizetype fromRow;

    // The rows scanned now, [first, end); backwards, the lowest row of this round and the characters of
    // the pieces scanned so far, and the last match of the piece.
    qsizetype first = 0;
    qsizetype end = 0;
    bool wrapped = false;
    qsizetype low = 0;
    qsizetype scannedBack = 0;
    std::optional<TextMatch> lastMatch;

    bool finished = false;
    std::optional<FindHit> hit;
};

LineSearch::LineSearch(const LineStore& lines, QStringView text, qsizetype fromRow, FindDirection direction)
    : m_state(std::make_unique<State>(lines, text, fromRow, direction)) {}

LineSearch::~LineSearch() = default;

bool LineSearch::advance(qsizetype units) {
    State& s = *m_state;
    while (!s.finished && units > 0) {
        const qsizetype from = s.scan.position();
        const qsizetype endPosition = s.lines.lineStart(s.end);
        const qsizetype limit = endPosition - from <= units ? endPosition : from + units;
        const std::optional<TextMatch> match = s.scan.next(limit);
        units -= std::max<qsizetype>(1, s.scan.position() - from);
        if (match && s.direction == FindDirection::Forward)
            s.finish(*match);
        else if (match)
            s.lastMatch = match;
        else if (s.scan.position() >= endPosition)
            s.rowsScanned();
    }
    return s.finished;
}

const std::optional<FindHit>& LineSearch::hit() const {
    return m_state->hit;
}

std::optional<FindHit> findInLines(const LineStore& lines, QStringView text, qsizetype fromRow,
                                   FindDirection direction) {
    LineSearch search(lines, text, fromRow, direction);
    while (!search.advance(std::numeric_limits<qsizetype>::max())) {
    }
    return search.hit();
}

std::vector<std::pair<qsizetype, qsizetype>> matchesInLine(QStringView line, QStringView text,
                                                           qsizetype limit) {
    std::vector<std::pair<qsizetype, qsizetype>> matches;
    const FindPattern pattern(text);
    if (pattern.isEmpty())
        return matches;
    // A line on the screen is short: the automaton reads it all, without the filter's setting up.
    const std::array<qsizetype, 2> starts{0, line.size()};
    MatchScan scan(pattern, nullptr, nullptr, unitsOf(line), starts, MatchScan::Overlaps::Skipped);
    while (qsizetype(matches.size()) < limit) {
        const std::optional<TextMatch> match = scan.next(line.size());
        if (!match)
            break;
        matches.emplace_back(match->begin, match->end - match->begin);
    }
    return matches;
}

} // namespace kopix
