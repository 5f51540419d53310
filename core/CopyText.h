#pragma once

#include "core/LineStore.h"

#include <QString>

#include <utility>
#include <vector>

namespace kopix {

// Selected rows as inclusive ranges [first, last].
using RowRanges = std::vector<std::pair<qsizetype, qsizetype>>;

// Sorts ranges and merges the ones that touch or overlap, so each row appears once, in row order.
RowRanges normalizedRanges(RowRanges ranges);

// The text the copy gesture puts on the clipboard: the selected rows in list order, CR LF before a row
// whenever the text so far is not empty (so selected empty rows ahead of the first non-empty one add
// nothing), and one more CR LF at the end when more than one row is selected. Nothing selected gives an
// empty text. Reads the rows straight from the line storage, range by range.
QString composeCopyText(const LineStore& lines, const RowRanges& selected);

} // namespace kopix
