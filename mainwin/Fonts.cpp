#include "mainwin/Fonts.h"

#include <QStringList>

namespace kopix {

QFont designFont(const QString& face, int pixelSize) {
    QFont font;
    QStringList withFallbacks{face};
    withFallbacks << QStringLiteral("IPAGothic") << QStringLiteral("IPAPGothic")
                  << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("Noto Sans Mono CJK JP")
                  << QStringLiteral("VL Gothic") << QStringLiteral("TakaoGothic");
    font.setFamilies(withFallbacks);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    return font;
}

} // namespace kopix
