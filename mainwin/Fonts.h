#pragma once

#include <QFont>
#include <QString>

namespace kopix {

// A face the settings name ("MS UI Gothic", "ＭＳ ゴシック") where the machine has it, then the Japanese
// faces of a Linux desktop, so Japanese text never shows as boxes; a pixel size when one is given.
QFont designFont(const QString& face, int pixelSize = 0);
// A font with a highlight rule's style bits (bold, italic, underline, strikeout) in place of its own
// style, and the style bits a font has.
QFont styledFont(QFont font, quint8 style);
quint8 fontStyle(const QFont& font);

inline const QString WindowFace = QStringLiteral("MS UI Gothic");
inline const QString ListFace = QStringLiteral("ＭＳ ゴシック");

} // namespace kopix
