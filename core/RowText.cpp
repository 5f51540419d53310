#include "core/RowText.h"

namespace kopix {

QString rowDrawText(QStringView line, qsizetype maxUnits) {
    qsizetype length = qMin(line.size(), qMax<qsizetype>(maxUnits, 0));
    if (length > 0 && length < line.size() && line[length - 1].isHighSurrogate() &&
        line[length].isLowSurrogate())
        --length;
    QString text = line.first(length).toString();
    text.replace(u'\t', u' ');
    return text;
}

} // namespace kopix
