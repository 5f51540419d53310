#include "core/CorrectionLimits.h"

namespace kopix {

qint64 correctionMemoryNeed(const LineStore& lines) {
    // Every line with its CR LF, two bytes a unit.
    const qint64 textBytes = (qint64(lines.textLength()) + 2 * qint64(lines.count())) * 2;
    return textBytes * CorrectionPeakPerTextByte;
}

CorrectionBar correctionBar(const LineStore& lines, qint64 memoryBytes) {
    if (lines.longestLine() > LongestCorrectableLine)
        return CorrectionBar::LongLine;
    if (correctionMemoryNeed(lines) > memoryBytes / 2)
        return CorrectionBar::Memory;
    return CorrectionBar::None;
}

} // namespace kopix
