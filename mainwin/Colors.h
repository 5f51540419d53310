#pragma once

#include "core/AppSettings.h"

#include <QColor>
#include <QPalette>

namespace kopix {

// The copy strips' colours.
inline constexpr TColor clAqua = TColor(0x00FFFF00);
inline constexpr TColor clNavy = TColor(0x00800000);
inline constexpr TColor clGreen = TColor(0x00008000);

// A stored colour (0x00BBGGRR, or 0xFF0000nn for a system colour) as the desktop's colour.
QColor toQColor(TColor color, const QPalette& palette);
// A highlight rule's colour as the list draws it on its background: as stored where it can be read there,
// else lightened or darkened just enough (a dark desktop theme and the default blue, say).
QColor readableRuleColour(TColor color, const QPalette& palette);

} // namespace kopix
