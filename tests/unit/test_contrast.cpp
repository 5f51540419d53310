// Rule colours stay readable on any list background: a colour too close to it is lightened or darkened
// just enough, and one that stands out already is left as it is.
#include "core/Contrast.h"

#include <gtest/gtest.h>

using namespace kopix;

namespace {

TEST(Contrast, AColourTooCloseToTheBackgroundIsMadeReadableAndKeepsItsHue) {
    const Rgb white{255, 255, 255};
    const Rgb dark{0x35, 0x35, 0x35}; // a dark theme's list
    const Rgb blue{0, 0, 255};
    EXPECT_NEAR(contrastRatio({0, 0, 0}, white), 21.0, 0.01);
    EXPECT_NEAR(contrastRatio(blue, white), 8.59, 0.01);
    EXPECT_LT(contrastRatio(blue, dark), 2.0) << "the default http rule on a dark theme";

    const struct {
        const char* name;
        Rgb colour, background;
        bool kept;
    } cases[] = {
        {"blue on white", blue, white, true},
        {"blue on a dark list", blue, dark, false},
        {"navy on black", {0, 0, 128}, {0, 0, 0}, false},
        {"yellow on white", {255, 255, 0}, white, false},
        {"the background's own colour", dark, dark, false},
        {"mid grey on mid grey", {128, 128, 128}, {119, 119, 119}, false},
    };
    for (const auto& c : cases) {
        const Rgb shown = readableOn(c.colour, c.background);
        EXPECT_GE(contrastRatio(shown, c.background), ReadableContrast) << c.name;
        EXPECT_EQ(shown == c.colour, c.kept) << c.name;
    }
    const Rgb lightened = readableOn(blue, dark);
    EXPECT_GT(lightened.blue, lightened.red) << "still blue";
    EXPECT_LT(contrastRatio(lightened, dark), ReadableContrast + 0.3) << "no lighter than it takes";
}

} // namespace
