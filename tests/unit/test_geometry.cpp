#include "core/WindowGeometry.h"

#include <gtest/gtest.h>

using namespace kopix;

namespace {

struct FitCase {
    const char* name;
    WindowRect window;
    QRect expected;
};

const QRect workArea(0, 0, 1920, 1040);

class FitToWorkAreaRules : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitToWorkAreaRules, PullsTheWindowIn) {
    EXPECT_EQ(fitToWorkArea(GetParam().window, workArea), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FitToWorkAreaRules,
    ::testing::Values(
        FitCase{"inside_untouched", {20, 20, 300, 330}, {20, 20, 300, 330}},
        FitCase{"right_edge_exactly_on_work_area_not_moved", {1620, 20, 300, 330}, {1620, 20, 300, 330}},
        FitCase{"one_past_right_edge_moved_in", {1621, 20, 300, 330}, {1620, 20, 300, 330}},
        FitCase{"left_of_screen_moved_to_left_edge", {-500, 20, 300, 330}, {0, 20, 300, 330}},
        FitCase{"below_moved_up", {20, 5000, 300, 330}, {20, 710, 300, 330}},
        FitCase{"off_every_monitor", {4000, -900, 300, 330}, {1620, 0, 300, 330}},
        FitCase{"exactly_as_wide_takes_full_width", {100, 20, 1920, 330}, {0, 20, 1920, 330}},
        FitCase{"wider_gets_width_and_left_edge", {100, 20, 2500, 330}, {0, 20, 1920, 330}},
        FitCase{"taller_gets_height_and_top_edge", {20, 300, 300, 2000}, {20, 0, 300, 1040}},
        // Edges past what 32 bits hold: a hand-edited A_L, or the largest A_W.
        FitCase{"far_right_does_not_wrap_around", {2147483500, 20, 288, 313}, {1632, 20, 288, 313}},
        FitCase{"far_left", {-2147483648LL, 20, 288, 313}, {0, 20, 288, 313}},
        FitCase{"widest", {2147483647LL, 2147483647LL, 2147483647LL, 2147483647LL}, {0, 0, 1920, 1040}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitToWorkArea, WorkAreaNotAtOrigin) {
    const QRect right(1920, 30, 1280, 994); // a second monitor below a top panel
    EXPECT_EQ(fitToWorkArea(QRect(3100, 0, 300, 330), right), QRect(2900, 30, 300, 330));
}

TEST(NearestScreen, LargestOverlapElseSmallestGap) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(nearestScreen(QRect(10, 10, 100, 100), screens), 0);
    EXPECT_EQ(nearestScreen(QRect(1900, 10, 300, 100), screens), 1) << "most of it lies on the second";
    EXPECT_EQ(nearestScreen(QRect(3500, 10, 300, 100), screens), 1) << "off to the right";
    EXPECT_EQ(nearestScreen(QRect(-800, 2000, 300, 100), screens), 0) << "off below-left";
    EXPECT_EQ(nearestScreen(QRect(0, 0, 10, 10), {}), -1);
    EXPECT_EQ(nearestScreen(WindowRect(2147483500, 10, 288, 313), screens), 1) << "far right, no wrap-around";
    EXPECT_EQ(nearestScreen(WindowRect(2147483500, 10, 288, 313).bounded(), screens), 1);
    EXPECT_EQ(nearestScreen(WindowRect(-2147483648LL, 3000, 288, 313).bounded(), screens), 0);
}

TEST(MessageBoxPlace, OverTheCentreWithNegativeCoordinatesLeftToTheDesktop) {
    struct Case {
        QRect window;
        std::optional<int> x, y;
    } cases[] = {
        {QRect(20, 20, 300, 330), 0, 135},
        {QRect(0, 0, 300, 330), std::nullopt, 115}, // x = -20: default horizontal place
        {QRect(0, -200, 300, 100), std::nullopt, std::nullopt},
        {QRect(100, 0, 301, 99), 80, std::nullopt},      // odd sizes: 301 / 2 = 150, 99 / 2 = 49 -> y = -1
        {QRect(-301, 100, 301, 100), std::nullopt, 100}, // -301 + 150 - 170 < 0
        {QRect(70, 0, 1, 100), std::nullopt, 0},         // 70 + 0 - 170 < 0, 0 + 50 - 50 = 0 applies
    };
    for (const Case& c : cases) {
        const MessageBoxPlace place = messageBoxPlace(c.window);
        EXPECT_EQ(place.x, c.x) << c.window.x() << "," << c.window.y();
        EXPECT_EQ(place.y, c.y) << c.window.x() << "," << c.window.y();
    }
}

TEST(DropDownPosition, UnderTheButtonUnlessTheMenuWouldRunOffTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    const QRect button(100, 60, 23, 22); // bottom edge at y = 82
    EXPECT_EQ(dropDownPosition(button, 200, screen), QPoint(100, 82));
    EXPECT_EQ(dropDownPosition(button, 1024 - 82, screen), QPoint(100, 82))
        << "exactly to the bottom still fits";
    EXPECT_EQ(dropDownPosition(button, 1024 - 81, screen), QPoint(100, 60 - (1024 - 81)))
        << "above the button, its bottom edge at the button's top";
    const QRect lower(0, 1024, 1280, 1024); // a second screen below the first
    EXPECT_EQ(dropDownPosition(button.translated(0, 1024), 200, lower), QPoint(100, 1106));
}

// Near the screen's bottom the menu opens above its button, never over it (Qt would push a menu that
// starts at the button's top up until it ends at the screen's edge, covering the button and the tabs).
TEST(DropDownPosition, NearTheBottomTheMenuEndsAboveItsButton) {
    const QRect screen(0, 0, 1280, 1024);
    struct Case {
        QRect button;
        int menuHeight;
        QPoint expected;
    } cases[] = {
        {QRect(10, 950, 23, 22), 300, QPoint(10, 650)},   // 972 + 300 runs off: ends at 950
        {QRect(10, 950, 23, 22), 52, QPoint(10, 972)},    // 972 + 52 = 1024 fits under
        {QRect(10, 950, 23, 22), 53, QPoint(10, 897)},    // one pixel more: above
        {QRect(10, 1000, 23, 22), 150, QPoint(10, 850)},  // button at the very bottom
        {QRect(10, 1950, 23, 22), 150, QPoint(10, 1800)}, // a lower screen's coordinates
    };
    for (const Case& c : cases) {
        const QRect& on = c.button.top() >= 1024 ? QRect(0, 1024, 1280, 1024) : screen;
        const QPoint at = dropDownPosition(c.button, c.menuHeight, on);
        EXPECT_EQ(at, c.expected) << c.button.top() << " " << c.menuHeight;
        if (at.y() < c.button.top()) {
            EXPECT_LE(at.y() + c.menuHeight, c.button.top()) << "the menu leaves its button free";
        }
    }
}

TEST(MinimumSize, FiveToolButtonsEachWay) {
    EXPECT_EQ(minimumClientSize(QSize(23, 22)), QSize(115, 110));
}

} // namespace
