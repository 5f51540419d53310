#include "mainwin/Colors.h"

#include "core/Contrast.h"

namespace kopix {

QColor readableRuleColour(TColor color, const QPalette& palette) {
    const QColor colour = toQColor(color, palette);
    const QColor background = palette.color(QPalette::Active, QPalette::Base);
    const Rgb shown = readableOn({colour.red(), colour.green(), colour.blue()},
                                 {background.red(), background.green(), background.blue()});
    return QColor(shown.red, shown.green, shown.blue);
}

QColor toQColor(TColor color, const QPalette& palette) {
    const quint32 bits = quint32(color);
    if ((bits >> 24) == 0xFF) {
        // System colours: the ones the program uses, taken from the desktop's palette.
        switch (bits & 0xFF) {
        case 0x05:
            return palette.color(QPalette::Base);
        case 0x08:
            return palette.color(QPalette::Text);
        case 0x0D:
            return palette.color(QPalette::Highlight);
        case 0x0E:
            return palette.color(QPalette::HighlightedText);
        case 0x0F:
            return palette.color(QPalette::Button);
        default:
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

} // namespace kopix
