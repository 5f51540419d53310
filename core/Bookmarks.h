#pragma once

#include "core/LineStore.h"
#include "core/TextFitting.h"

#include <vector>

namespace kopix {

// A line holding this white star is a bookmark (the black star U+2605 is not).
inline constexpr char16_t BookmarkStar = u'☆';
inline constexpr int MaxBookmarks = 26;

// The bookmarked lines of a document in order, at most `limit` of them. One pass over the text buffer,
// which stops at the last bookmark wanted; a line with several stars is one bookmark.
std::vector<qsizetype> bookmarkLines(const LineStore& lines, int limit = MaxBookmarks);

// The caption of bookmark `slot` (0 = A): "(&A) " and as much of its line, on one line, as fits into
// maxWidth, its own "&" showing as such.
QString bookmarkCaption(int slot, QStringView line, const TextWidth& width, int maxWidth);

} // namespace kopix
