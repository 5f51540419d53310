#include "core/Bookmarks.h"

#include <algorithm>

namespace kopix {

std::vector<qsizetype> bookmarkLines(const LineStore& lines, int limit) {
    std::vector<qsizetype> found;
    const QStringView text = lines.text();
    qsizetype from = 0;
    while (int(found.size()) < limit) {
        const qsizetype star = text.indexOf(QChar(BookmarkStar), from);
        if (star < 0)
            break;
        const qsizetype line = lines.lineAt(star);
        found.push_back(line);
        // Go on after this line: more stars in it make no second bookmark.
        from = line + 1 < lines.count() ? lines.lineStart(line + 1) : text.size();
    }
    return found;
}

QString bookmarkCaption(int slot, QStringView line, const TextWidth& width, int maxWidth) {
    // A line of megabytes is not copied: what could fit is far less.
    line = line.first(std::min(line.size(), std::max(maxWidth, 0) * FittingUnitsPerPixel + 1));
    return QStringLiteral("(&") + QChar(u'A' + slot) + QStringLiteral(") ") +
           menuItemText(EllipsisText(singleLineText(line), width, maxWidth));
}

} // namespace kopix
