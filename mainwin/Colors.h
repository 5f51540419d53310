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

} // namespace kopix
