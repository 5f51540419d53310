#pragma once

namespace kopix {

// A colour as red, green and blue, 0 to 255 each.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The contrast of two colours as the accessibility guidelines for the web reckon it: from 1 (the same
// lightness) to 21 (black on white). Text wants at least 4.5.
double contrastRatio(Rgb a, Rgb b);

inline constexpr double ReadableContrast = 4.5;

// The colour itself where it stands out from the background well enough to be read; else the same colour
// lightened (on a dark background) or darkened (on a light one), no more than it takes.
Rgb readableOn(Rgb colour, Rgb background, double minimum = ReadableContrast);

// Whether text of this colour is light, as on a dark desktop theme.
bool isLight(Rgb colour);

} // namespace kopix
