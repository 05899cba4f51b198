#include <gtest/gtest.h>

#include "host/screens.h"

namespace {

std::vector<ScreenInfo> TwoMonitors(bool secondIsPrimary) {
    return {{0, {0, 0, 1920, 1080}, !secondIsPrimary, "A"},
            {1, {1920, 0, 1280, 1024}, secondIsPrimary, "B"}};
}

TEST(Screens, MainScreenIsThePrimaryElseTheFirst) {
    EXPECT_EQ(MainScreenNumber(TwoMonitors(false)), 0);
    EXPECT_EQ(MainScreenNumber(TwoMonitors(true)), 1);
    std::vector<ScreenInfo> nonePrimary = {{4, {0, 0, 800, 600}, false, "A"},
                                           {7, {800, 0, 800, 600}, false, "B"}};
    EXPECT_EQ(MainScreenNumber(nonePrimary), 4);
    EXPECT_EQ(MainScreenNumber({}), -1);
}

TEST(Screens, ScreenUnderAWindowIsTheFirstOneItOverlaps) {
    const auto screens = TwoMonitors(false);
    EXPECT_EQ(ScreenNumberUnder(screens, {100, 100, 640, 480}), 0);
    EXPECT_EQ(ScreenNumberUnder(screens, {2000, 10, 640, 480}), 1);
    // Straddling both: the first in the system's order.
    EXPECT_EQ(ScreenNumberUnder(screens, {1900, 0, 100, 100}), 0);
    // Touching an edge is not overlapping.
    EXPECT_EQ(ScreenNumberUnder(screens, {1920, 1080, 10, 10}), 0);
    EXPECT_EQ(ScreenNumberUnder(TwoMonitors(true), {1920, 1024, 10, 10}), 1);
    // Off every screen, or empty: the main screen.
    EXPECT_EQ(ScreenNumberUnder(TwoMonitors(true), {5000, 5000, 10, 10}), 1);
    EXPECT_EQ(ScreenNumberUnder(TwoMonitors(true), {2000, 10, 0, 10}), 1);
}

TEST(Screens, IntersectionNeedsASharedPixelAndSurvivesHugeRectangles) {
    EXPECT_TRUE(Intersects({0, 0, 10, 10}, {9, 9, 10, 10}));
    EXPECT_FALSE(Intersects({0, 0, 10, 10}, {10, 0, 10, 10}));
    EXPECT_FALSE(Intersects({0, 0, 10, 10}, {-10, 0, 10, 10}));
    EXPECT_TRUE(Intersects({2147483000, 0, 2000, 10}, {2147483600, 0, 10, 10}));
    EXPECT_FALSE(Intersects({0, 0, -5, 10}, {0, 0, 10, 10}));
    const auto screens = TwoMonitors(false);
    ASSERT_NE(FindScreen(screens, 1), nullptr);
    EXPECT_EQ(FindScreen(screens, 1)->frame.x, 1920);
    EXPECT_EQ(FindScreen(screens, 9), nullptr);
}

}  // namespace
