#include "scene/ssmain.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "assets/background_pictures.h"
#include "assets/pack_layout.h"
#include "assets/texture.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "scene_fixture.h"
#include "tests/support/recording_alert.h"

namespace {

constexpr double kFrame = 1.0 / 35.0;

// Hands the fallback picture of `folder` to the scene as its ground.
void GiveGround(SSMAIN& scene, const std::string& folder) {
    Texture picture;
    ASSERT_TRUE(loadPicFile((folder + pack_layout::kFallbackPicture).c_str(), &picture));
    scene.groundTexture = picture.texID;
    picture.texID = 0;
}

// Expects the ground's colour at each of `points` of the last frame.
void ExpectGroundAt(HeadlessGL& gl, int width, std::initializer_list<std::pair<int, int>> points) {
    gl.Finish();
    const auto pixels = gl.ReadPixels();
    uint8_t ground[3];
    GroundColour(ground);
    for (auto [x, y] : points) {
        const Pixel p = PixelAt(pixels, width, x, y);
        EXPECT_LE(std::abs(p.r - ground[0]) + std::abs(p.g - ground[1]) + std::abs(p.b - ground[2]),
                  60)
            << x << "," << y << ": " << int(p.r) << " " << int(p.g) << " " << int(p.b);
    }
}

}  // namespace

// The first frame draws only the ground, the cats exist from the second; a second set-up
// starts a fresh population.
TEST_F(SceneTest, FirstFrameDrawsOnlyTheGroundAndTheCatsExistFromTheSecond) {
    SETTINGS settings = TestSettings(3);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
    GiveGround(scene, Packs());
    std::srand(7);
    RunFrames(scene, 1, kFrame);
    EXPECT_FALSE(scene.catsReady);
    // The ground fills the view in the overview.
    ExpectGroundAt(gl, kWidth, {{kWidth / 2, kHeight / 2}, {10, 10}, {kWidth - 10, kHeight - 10}});

    RunFrames(scene, 1, kFrame);
    EXPECT_TRUE(scene.catsReady);
    ASSERT_NE(scene.dogControl->dogs, nullptr);
    EXPECT_EQ(scene.dogControl->numDogs, 3);
    // The cats wear skins 0, 1 and 2 in array order, and the footprint texture is slot 8.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scene.dogControl->dogs[i].texIndex, i);
    EXPECT_EQ(scene.dogControl->footprintTexture, scene.TextureName(pack_layout::kFootprintSlot));
    RunFrames(scene, 200, kFrame);
    EXPECT_EQ(scene.dogControl->stats.catsPlaced, 3);

    // A second set-up (the folder named without its slash) starts a fresh population.
    settings.NUM_DOGS = 2;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings,
                            Packs().substr(0, Packs().size() - 1).c_str()));
    EXPECT_EQ(std::string(scene.resourcePath), Packs());
    EXPECT_FALSE(scene.catsReady);
    RunFrames(scene, 2, kFrame);
    EXPECT_EQ(scene.dogControl->numDogs, 2);
    scene.Cleanup();
    scene.Cleanup();  // a second clean-up finds nothing left
    EXPECT_EQ(scene.dogControl, nullptr);
}

// A missing pack costs its own part only: without the scene's pictures the ground still shows,
// and the packs are picked up once they appear, not at the next frame (attempts are spaced by
// a growing pause) but within seconds, each named once however often it was tried.
TEST_F(SceneTest, MissingPacksCostTheirPartAndArePickedUpWhenTheyAppear) {
    // Neither the scene's pictures nor the cat model.
    const std::string folder = WriteTestPacks({false, pack_layout::kSceneSlotCount, false});
    SETTINGS settings = TestSettings(3);
    RecordingAlert alerts;
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, folder.c_str()));
    GiveGround(scene, folder);
    RunFrames(scene, 5, kFrame);
    EXPECT_FALSE(scene.catsReady);
    EXPECT_EQ(scene.TextureName(pack_layout::kFootprintSlot), 0u);
    ExpectGroundAt(gl, kWidth, {{10, 10}});

    for (const char* pack : {pack_layout::kScenePack, pack_layout::kCatPack})
        ASSERT_EQ(std::system(("cp " + Packs() + pack + " " + folder).c_str()), 0);
    RunFrames(scene, 1, kFrame);
    EXPECT_FALSE(scene.catsReady);
    RunFrames(scene, 35, kFrame);
    EXPECT_TRUE(scene.catsReady);
    EXPECT_EQ(scene.dogControl->footprintTexture, scene.TextureName(pack_layout::kFootprintSlot));
    ASSERT_EQ(alerts.lines.size(), 2u);
    EXPECT_NE(alerts.lines[0].find("scene pack " + folder + "pebble.courtyards: it does not exist"),
              std::string::npos)
        << alerts.lines[0];
    EXPECT_NE(alerts.lines[1].find("cat model pack " + folder + "c.vlm"), std::string::npos)
        << alerts.lines[1];
    scene.Cleanup();

    // Only a resource folder that cannot be named fails the set-up: cleared frames then.
    SSMAIN unusable;
    EXPECT_FALSE(unusable.Setup(false, kWidth, kHeight, &settings, std::string(1100, 'x').c_str()));
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);  // Draw itself must clear to the view's colour
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    RunFrames(unusable, 3, kFrame);
    gl.Finish();
    const Pixel cleared = PixelAt(gl.ReadPixels(), kWidth, kWidth / 2, kHeight / 2);
    EXPECT_EQ(cleared.r + cleared.g + cleared.b, 0);
    unusable.Cleanup();
}

TEST_F(SceneTest, AShortScenePackLeavesTheMissingPicturesBlank) {
    // Pictures up to the footprint, no toy skins.
    const std::string folder = WriteTestPacks({true, pack_layout::kFirstToySkinSlot});
    SETTINGS settings = TestSettings(1);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, folder.c_str()));
    EXPECT_NE(scene.TextureName(pack_layout::kFootprintSlot), 0u);
    for (int slot : {pack_layout::kFirstToySkinSlot, pack_layout::kSceneSlotCount, -1})
        EXPECT_EQ(scene.TextureName(slot), 0u) << slot;
    RunFrames(scene, 20, kFrame);  // the toy is drawn untextured, never with a stale name
    scene.Cleanup();
}

TEST(SceneUpdate, FrameTimesAreAddedAndLongOnesClampedToASecond) {
    SSMAIN scene;
    for (const double dt : {0.25, 1.8, -0.5}) scene.Update(dt);
    EXPECT_DOUBLE_EQ(scene.frameTime, 0.0);
    EXPECT_DOUBLE_EQ(scene.totalTime, 1.25);
}

// The preview (as here) runs no overlay timers.
TEST_F(SceneTest, TilingFollowsTheSettingFromTheNextFrameAndFogStaysSetUp) {
    SETTINGS settings = TestSettings(0);
    settings.TILEBG = false;
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(true, kWidth, kHeight, &settings, Packs().c_str()));
    GiveGround(scene, Packs());
    RunFrames(scene, 2, kFrame);
    // Look from higher up than the overview, so that the area around the ground shows.
    scene.dogControl->camera.eyeTarget = VECTOR3D{0.0f, 70.0f, 0.0f};
    auto cornerBrightness = [&] {
        RunFrames(scene, 1, kFrame);
        gl.Finish();
        const Pixel p = PixelAt(gl.ReadPixels(), kWidth, 3, 3);
        return p.r + p.g + p.b;
    };
    EXPECT_EQ(cornerBrightness(), 0);
    EXPECT_FALSE(scene.fogReady);
    settings.TILEBG = true;
    EXPECT_GT(cornerBrightness(), 30);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));  // the ground switches it back on
    settings.TILEBG = false;
    EXPECT_EQ(cornerBrightness(), 0);
    EXPECT_TRUE(scene.fogReady);
    EXPECT_TRUE(scene.fadeTimer == 90.0f && scene.bannerTimer == 120.0f);
    scene.Cleanup();
}
