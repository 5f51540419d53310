#pragma once

#include "core/LineStore.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kopix {

// Finding a text in the document's lines as a user types it: letter case does not count, and the
// full-width and half-width forms of Latin letters, digits and katakana are the same character, so
// "ｱﾄﾞﾚｽ" finds "アドレス" and "ＡＢＣ" finds "abc". Hiragana and katakana are the same, and small kana
// their full-size kana: "あどれす" finds "アドレス", "ちぇっく" finds "チェック". A kana followed by its
// (spacing or combining) sound mark counts as the one voiced kana, so "か゛" and "ｶﾞ" find "ガ", and a match
// neither begins nor ends between the two. A match never runs from one line into the next.

// The text as the finder compares it: every character in its one form. Empty when there is nothing to find.
QString foldedForFind(QStringView text);

enum class FindDirection { Forward, Backward };

// A match: its row, and where in the row's line it lies (in the line's own characters).
struct FindHit {
    qsizetype row = -1;
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const FindHit&) const = default;
};

// The first row, starting with `fromRow` itself and going in `direction`, that contains `text`, wrapping
// round at either end; nothing when no row contains it (or `text` is empty). Forward it is the row's first
// match, backward its last. The lines' contiguous text is searched directly, each character looked at a
// few times at most whatever the text: a million rows cost one pass over their characters.
std::optional<FindHit> findInLines(const LineStore& lines, QStringView text, qsizetype fromRow,
                                   FindDirection direction);

// The search of findInLines a piece at a time, so that a document of many millions of rows never holds the
// window up for long. The lines must stay as they are while the search lasts.
class LineSearch {
public:
    LineSearch(const LineStore& lines, QStringView text, qsizetype fromRow, FindDirection direction);
    ~LineSearch();
    LineSearch(const LineSearch&) = delete;
    LineSearch& operator=(const LineSearch&) = delete;

    // Searches on through about `units` more of the lines' characters (at least one); true once the search
    // has come to its end.
    bool advance(qsizetype units);
    // What the search found, once finished.
    const std::optional<FindHit>& hit() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Where `text` occurs in one line, from its left, one match after the other (start, length in the line's
// characters); at most `limit` matches. One pass over the line, however long.
std::vector<std::pair<qsizetype, qsizetype>> matchesInLine(QStringView line, QStringView text,
                                                           qsizetype limit = 64);

} // namespace kopix
