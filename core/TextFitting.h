#pragma once

#include <QString>
#include <QStringView>

#include <functional>

namespace kopix {

// The width in pixels a text takes in some font; tests measure with a fixed width per character.
using TextWidth = std::function<int(QStringView)>;

// Fits a file path into a width by putting "..." in the place of its leading folders, one at a time:
// /home/me/Documents/memo.txt tries /.../me/Documents/memo.txt, /.../Documents/memo.txt, /.../memo.txt,
// .../memo.txt and memo.txt, and takes the first that fits. The name is never cut, so when nothing else is
// left to remove the result is the name alone, however wide. A folder whose name begins with "." is a
// folder like any other (only the "..." a cut put there is taken away again).
QString ShortenPath(QStringView path, const TextWidth& width, int maxWidth);

// No text that fits into a width has more code units than this many per pixel.
inline constexpr qsizetype FittingUnitsPerPixel = 8;

// The text when it fits into the width, else its longest beginning that fits with "..." after it (a
// character outside the basic plane is never cut in half). Only the first maxWidth * FittingUnitsPerPixel
// code units of a longer text are looked at: no more of them can fit.
QString EllipsisText(QStringView text, const TextWidth& width, int maxWidth);

// The text on one line: tabs (which a menu takes as the start of a shortcut) and the characters that
// break lines become spaces.
QString singleLineText(QStringView text);
// A text for a menu item: on one line, and every "&" doubled so that it shows rather than marking an
// access key.
QString menuItemText(QStringView text);

} // namespace kopix
