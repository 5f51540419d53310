#pragma once

#include <QFont>
#include <QString>

namespace kopix {

// A face of the design ("MS UI Gothic", "ＭＳ ゴシック"), then the Japanese faces of a Linux desktop, so
// Japanese text never shows as boxes; a pixel size when one is given.
QFont designFont(const QString& face, int pixelSize = 0);

inline const QString WindowFace = QStringLiteral("MS UI Gothic");
inline const QString ListFace = QStringLiteral("ＭＳ ゴシック");

} // namespace kopix
