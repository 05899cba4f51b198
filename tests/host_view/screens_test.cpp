#include <gtest/gtest.h>

#include <tuple>

#include "host/screens.h"

namespace {

std::vector<ScreenInfo> TwoMonitors(bool secondIsPrimary) {
    return {{0, {0, 0, 1920, 1080}, !secondIsPrimary, "A"},
            {1, {1920, 0, 1280, 1024}, secondIsPrimary, "B"}};
}

TEST(Screens, TheScreenUnderAWindowIsTheFirstItOverlapsElseTheMainOne) {
    EXPECT_EQ(MainScreenNumber(TwoMonitors(true)), 1);
    EXPECT_EQ(MainScreenNumber({{4, {0, 0, 800, 600}, false, "A"}}), 4);  // none primary
    EXPECT_EQ(MainScreenNumber({}), -1);
    // {the second monitor is the primary one, window, the screen under it}
    const std::tuple<bool, ScreenRect, int> cases[] = {
        {false, {2000, 10, 640, 480}, 1},
        {false, {1900, 0, 100, 100}, 0},   // straddling both: the first in the system's order
        {false, {1920, 1080, 10, 10}, 0},  // touching an edge is not overlapping
        {true, {1920, 1024, 10, 10}, 1},   // only touching both: the main one
        {true, {2000, 10, 0, 10}, 1},      // empty: the main one
    };
    for (const auto& [secondIsPrimary, window, screen] : cases) {
        EXPECT_EQ(ScreenNumberUnder(TwoMonitors(secondIsPrimary), window), screen)
            << window.x << "," << window.y;
    }
    EXPECT_TRUE(Intersects({2147483000, 0, 2000, 10}, {2147483600, 0, 10, 10}));
    EXPECT_FALSE(Intersects({0, 0, -5, 10}, {0, 0, 10, 10}));
    EXPECT_EQ(FindScreen(TwoMonitors(false), 9), nullptr);
}

}  // namespace
