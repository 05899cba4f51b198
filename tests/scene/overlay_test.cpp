#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/ssmain.h"
#include "scene_fixture.h"

namespace {

// Runs the overlay alone for `seconds` in steps of `dt`.
void Overlay(SSMAIN& scene, double seconds, double dt = 0.1) {
    for (double t = 0.0; t < seconds - 1e-9; t += dt) {
        scene.frameTime = dt;
        scene.DoOverlay();
    }
}

}  // namespace

TEST_F(SceneTest, TheBannerAppearsAfterTwoMinutesAndAlternatesTopAndBottom) {
    SETTINGS settings = TestSettings(0);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
    std::srand(3);
    Overlay(scene, 119.9);
    EXPECT_FALSE(scene.bannerShown);
    EXPECT_EQ(scene.bannerPicture, 5u);
    // Away below the window, easing towards -40 from its start at -35.
    EXPECT_NEAR(scene.bannerPos.y, -40.0f, 0.01f);

    Overlay(scene, 0.2);
    EXPECT_TRUE(scene.bannerShown);
    EXPECT_TRUE(scene.bannerAtTop);
    EXPECT_GE(scene.bannerPicture, 4u);
    EXPECT_LE(scene.bannerPicture, 7u);
    EXPECT_TRUE(scene.bannerPos.x == 0.0f || scene.bannerPos.x == kWidth - 256.0f);
    // Comes in from above the window and settles 40 pixels below its top.
    EXPECT_GT(scene.bannerPos.y, kHeight - 40.0f);
    Overlay(scene, 19.0);
    EXPECT_TRUE(scene.bannerShown);
    EXPECT_NEAR(scene.bannerPos.y, kHeight - 40.0f, 0.1f);

    Overlay(scene, 1.5);  // 20 s shown, then away for 30 s
    EXPECT_FALSE(scene.bannerShown);
    EXPECT_NEAR(scene.bannerTimer, 29.5f, 0.11f);
    Overlay(scene, 28.0);
    EXPECT_FALSE(scene.bannerShown);
    EXPECT_NEAR(scene.bannerPos.y, kHeight + 40.0f, 0.1f);
    Overlay(scene, 1.0);
    EXPECT_FALSE(scene.bannerShown);
    Overlay(scene, 1.0);
    EXPECT_TRUE(scene.bannerShown);
    EXPECT_FALSE(scene.bannerAtTop);  // the next appearance uses the bottom edge
    Overlay(scene, 15.0);
    EXPECT_NEAR(scene.bannerPos.y, 5.0f, 0.1f);
    scene.Cleanup();
}

TEST_F(SceneTest, TheDimmingStartsAfterNinetySecondsHoldsAndRepeatsEveryMinute) {
    SETTINGS settings = TestSettings(0);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
    Overlay(scene, 89.9);
    EXPECT_EQ(scene.fadeAlpha, 0.0f);
    Overlay(scene, 1.1);  // one second into the dimming
    EXPECT_NEAR(scene.fadeAlpha, 0.5f, 0.06f);
    Overlay(scene, 1.5);
    EXPECT_EQ(scene.fadeAlpha, 1.0f);
    Overlay(scene, 17.0);  // 109.5 s: still dark
    EXPECT_EQ(scene.fadeAlpha, 1.0f);
    Overlay(scene, 3.0);  // 112.5 s: clear again
    EXPECT_LE(scene.fadeAlpha, 0.0f);
    EXPECT_NEAR(scene.fadeTimer, 37.5f, 0.15f);
    Overlay(scene, 37.0);  // 149.5 s
    EXPECT_LE(scene.fadeAlpha, 0.0f);
    Overlay(scene, 1.5);
    EXPECT_GT(scene.fadeAlpha, 0.4f);
    scene.Cleanup();
}

TEST_F(SceneTest, FullDimmingHidesTheSceneBehindBlackAndShowsOnlyTheCaption) {
    SETTINGS settings = TestSettings(0);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
    RunFrames(scene, 1, 0.03);
    scene.fadeTimer = -5.0f;
    scene.fadeAlpha = 1.0f;
    RunFrames(scene, 1, 0.03);
    gl.Finish();
    const auto pixels = gl.ReadPixels();
    // The caption (picture 5, 64 of 768 units high) runs across the middle.
    uint8_t caption[3];
    ScenePictureColour(5, caption);
    const Pixel middle = PixelAt(pixels, kWidth, kWidth / 2, kHeight / 2);
    EXPECT_NEAR(middle.r, caption[0], 3);
    EXPECT_NEAR(middle.g, caption[1], 3);
    EXPECT_NEAR(middle.b, caption[2], 3);
    const Pixel above = PixelAt(pixels, kWidth, kWidth / 2, kHeight / 4);
    EXPECT_EQ(above.r + above.g + above.b, 0);
    // The overlay leaves lighting and the depth test on and blending off.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    scene.Cleanup();
}

TEST_F(SceneTest, ThePreviewDrawsNoOverlayAndRunsNoOverlayTimers) {
    SETTINGS settings = TestSettings(0);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(true, kWidth, kHeight, &settings, Packs().c_str()));
    RunFrames(scene, 100, 1.0);
    EXPECT_EQ(scene.fadeTimer, 90.0f);
    EXPECT_EQ(scene.bannerTimer, 120.0f);
    EXPECT_EQ(scene.fadeAlpha, 0.0f);
    scene.Cleanup();
}
