#include "core/Contrast.h"

#include <algorithm>
#include <cmath>

namespace kopix {

namespace {

double channelLuminance(int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgb c) {
    return 0.2126 * channelLuminance(c.red) + 0.7152 * channelLuminance(c.green) +
           0.0722 * channelLuminance(c.blue);
}

Rgb mixed(Rgb from, Rgb to, double t) {
    const auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return {mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)};
}

} // namespace

double contrastRatio(Rgb a, Rgb b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb readableOn(Rgb colour, Rgb background, double minimum) {
    if (contrastRatio(colour, background) >= minimum)
        return colour;
    // Towards white or black, whichever stands out more from this background.
    constexpr Rgb white{255, 255, 255};
    constexpr Rgb black{0, 0, 0};
    const Rgb towards = contrastRatio(white, background) >= contrastRatio(black, background) ? white : black;
    if (contrastRatio(towards, background) < minimum)
        return towards;
    // The least mix that is enough: the contrast grows with the mix.
    double low = 0;
    double high = 1;
    for (int step = 0; step < 16; ++step) {
        const double middle = (low + high) / 2;
        (contrastRatio(mixed(colour, towards, middle), background) >= minimum ? high : low) = middle;
    }
    Rgb result = mixed(colour, towards, high);
    // Rounding to whole channel values may fall just short.
    while (contrastRatio(result, background) < minimum && result != towards)
        result = mixed(result, towards, 1.0 / 64);
    return result;
}

bool isLight(Rgb colour) {
    return luminance(colour) > 0.5;
}

} // namespace kopix
