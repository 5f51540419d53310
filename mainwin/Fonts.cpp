#include "mainwin/Fonts.h"

#include "core/AppSettings.h"

#include <QFontDatabase>
#include <QHash>
#include <QStringList>

namespace kopix {

namespace {

// Whether the machine has a face, or a face fontconfig stands in for it, asked once per face. A face it
// lacks is left out of the fonts asked for: Qt would look for it again for every size, style and script.
bool faceInstalled(const QString& face) {
    static QHash<QString, bool> known;
    const auto found = known.constFind(face);
    if (found != known.cend())
        return *found;
    return *known.insert(face, QFontDatabase::hasFamily(face));
}

} // namespace

QFont designFont(const QString& face, int pixelSize) {
    QFont font;
    QStringList withFallbacks;
    if (faceInstalled(face))
        withFallbacks << face;
    withFallbacks << QStringLiteral("IPAGothic") << QStringLiteral("IPAPGothic")
                  << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("Noto Sans Mono CJK JP")
                  << QStringLiteral("VL Gothic") << QStringLiteral("TakaoGothic");
    font.setFamilies(withFallbacks);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    return font;
}

QFont styledFont(QFont font, quint8 style) {
    font.setBold(style & StyleBold);
    font.setItalic(style & StyleItalic);
    font.setUnderline(style & StyleUnderline);
    font.setStrikeOut(style & StyleStrikeOut);
    return font;
}

quint8 fontStyle(const QFont& font) {
    return quint8((font.bold() ? StyleBold : 0) | (font.italic() ? StyleItalic : 0) |
                  (font.underline() ? StyleUnderline : 0) | (font.strikeOut() ? StyleStrikeOut : 0));
}

} // namespace kopix
