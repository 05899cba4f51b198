#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/ssmain.h"
#include "scene_fixture.h"

namespace {

// Runs the overlay alone for `seconds` in steps of 0.1 s.
void Overlay(SSMAIN& scene, double seconds) {
    for (double t = 0.0; t < seconds - 1e-9; t += 0.1) {
        scene.frameTime = 0.1;
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
    Overlay(scene, 0.2);
    EXPECT_TRUE(scene.bannerShown);
    EXPECT_TRUE(scene.bannerAtTop);
    // Comes in from above the window and settles 40 pixels below its top.
    Overlay(scene, 19.0);
    EXPECT_NEAR(scene.bannerPos.y, kHeight - 40.0f, 0.1f);
    Overlay(scene, 1.5);  // 20 s shown, then away for 30 s
    EXPECT_FALSE(scene.bannerShown);
    Overlay(scene, 30.0);
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
    // Seconds run, and the darkness expected then.
    const struct {
        double seconds;
        float low, high;
    } steps[] = {{89.9, 0.0f, 0.0f}, {1.1, 0.44f, 0.56f}, {1.5, 1.0f, 1.0f}, {17.0, 1.0f, 1.0f},
                 {3.0, -1.0f, 0.0f}, {37.0, -1.0f, 0.0f}, {1.5, 0.4f, 1.0f}};
    double at = 0.0;
    for (const auto& step : steps) {
        Overlay(scene, step.seconds);
        at += step.seconds;
        EXPECT_GE(scene.fadeAlpha, step.low) << at;
        EXPECT_LE(scene.fadeAlpha, step.high) << at;
    }
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
    EXPECT_LE(std::abs(middle.r - caption[0]) + std::abs(middle.g - caption[1]) +
                  std::abs(middle.b - caption[2]),
              6);
    const Pixel above = PixelAt(pixels, kWidth, kWidth / 2, kHeight / 4);
    EXPECT_EQ(above.r + above.g + above.b, 0);
    // The overlay leaves lighting and the depth test on and blending off.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    scene.Cleanup();
}
