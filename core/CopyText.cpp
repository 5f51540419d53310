#include "core/CopyText.h"

#include <algorithm>

namespace kopix {

RowRanges normalizedRanges(RowRanges ranges) {
    std::sort(ranges.begin(), ranges.end());
    RowRanges merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

QString composeCopyText(const LineStore& lines, const RowRanges& selected) {
    qsizetype rows = 0;
    qsizetype size = 0;
    for (const auto& [first, last] : selected) {
        rows += last - first + 1;
        size += lines.charactersIn(first, last);
    }
    QString text;
    text.reserve(size + 2 * rows);
    for (const auto& [first, last] : selected) {
        for (qsizetype row = first; row <= last; ++row) {
            if (!text.isEmpty())
                text += u"\r\n";
            text += lines.line(row);
        }
    }
    if (rows > 1)
        text += u"\r\n";
    return text;
}

} // namespace kopix
