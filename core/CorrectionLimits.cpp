#include "core/CorrectionLimits.h"

namespace kopix {

qint64 correctionMemoryNeed(const LineStore& lines) {
    // Two bytes a unit.
    return qint64(lines.lengthWithCrLf()) * 2 * CorrectionPeakPerTextByte;
}

CorrectionBar correctionBar(const LineStore& lines, qint64 memoryBytes) {
    if (lines.longestLine() > LongestCorrectableLine)
        return CorrectionBar::LongLine;
    if (correctionMemoryNeed(lines) > memoryBytes / 2)
        return CorrectionBar::Memory;
    return CorrectionBar::None;
}

} // namespace kopix
