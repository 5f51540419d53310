#pragma once

#include "core/LineStore.h"

#include <QtGlobal>

namespace kopix {

// What keeps a document out of the correction editor, if anything. The list shows and copies any document
// Kopix can read; the editor lays out a whole line at every keystroke and holds the text several times
// over while it is filled and saved, so some documents are shown but cannot be corrected.
enum class CorrectionBar { None, LongLine, Memory };

// The longest line the editor takes: about 60 ms per keystroke at the start of a line this long (0.9 µs a
// character, measured), leaving room for slower machines under the 100 ms a keystroke may take.
inline constexpr qsizetype LongestCorrectableLine = 64 * 1024;
// Memory the correction needs at its peak (the list, the editor and the save), as a multiple of the
// document's UTF-16 text: 5.3 measured on a million lines in UTF-8, 8.4 in the legacy code page (whose
// save matches every line against the file), with room to spare.
inline constexpr int CorrectionPeakPerTextByte = 10;

// The memory correcting these lines takes at its peak, in bytes.
qint64 correctionMemoryNeed(const LineStore& lines);

// Why lines cannot be corrected on a machine with memoryBytes of memory: a line too long for the editor,
// or more memory than half the machine's.
CorrectionBar correctionBar(const LineStore& lines, qint64 memoryBytes);

} // namespace kopix
