#include "scene/ssmain.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "assets/background_pictures.h"
#include "assets/texture.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "scene/ground.h"
#include "scene_fixture.h"
#include "tests/support/recording_alert.h"
#include "toys/one_toy.h"

namespace {

constexpr double kFrame = 1.0 / 35.0;

// Hands the fallback picture of `folder` to the scene as its ground.
void GiveGround(SSMAIN& scene, const std::string& folder) {
    Texture picture;
    ASSERT_TRUE(loadPicFile((folder + "fallback.jpg").c_str(), &picture));
    scene.groundTexture = picture.texID;
    picture.texID = 0;
}

bool Near(uint8_t a, uint8_t b, int tolerance) {
    return std::abs(int(a) - int(b)) <= tolerance;
}

}  // namespace

TEST_F(SceneTest, FirstFrameDrawsOnlyTheGroundAndTheCatsExistFromTheSecond) {
    SETTINGS settings = TestSettings(3);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
    GiveGround(scene, Packs());
    std::srand(7);

    RunFrames(scene, 1, kFrame);
    ASSERT_NE(scene.dogControl, nullptr);
    EXPECT_TRUE(scene.dogControl->boundsValid);
    EXPECT_FALSE(scene.catsReady);
    EXPECT_EQ(scene.dogControl->dogs, nullptr);
    EXPECT_EQ(scene.dogControl->toys, nullptr);
    // The ground fills the view in the overview: its colour at the centre and near the corners.
    gl.Finish();
    const auto pixels = gl.ReadPixels();
    uint8_t ground[3];
    GroundColour(ground);
    for (auto [x, y] : {std::pair{kWidth / 2, kHeight / 2}, std::pair{10, 10},
                        std::pair{kWidth - 10, kHeight - 10}}) {
        const Pixel p = PixelAt(pixels, kWidth, x, y);
        EXPECT_TRUE(Near(p.r, ground[0], 25) && Near(p.g, ground[1], 25) &&
                    Near(p.b, ground[2], 25))
            << x << "," << y << ": " << int(p.r) << " " << int(p.g) << " " << int(p.b);
    }

    RunFrames(scene, 1, kFrame);
    EXPECT_TRUE(scene.catsReady);
    ASSERT_NE(scene.dogControl->dogs, nullptr);
    EXPECT_EQ(scene.dogControl->numDogs, 3);
    EXPECT_NE(scene.dogControl->toys, nullptr);
    // Placed this frame at the earliest: none is drawn yet.
    for (int i = 0; i < 3; ++i) EXPECT_LE(scene.dogControl->dogs[i].action, 0);
    // The cats wear skins 0, 1 and 2 in array order, and the footprint texture is slot 8.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scene.dogControl->dogs[i].texIndex, i);
    EXPECT_EQ(scene.dogControl->footprintTexture, scene.TextureName(SSMAIN::kFootprintTexture));
    EXPECT_NE(scene.dogControl->footprintTexture, 0u);

    RunFrames(scene, 200, kFrame);
    for (int i = 0; i < 3; ++i) EXPECT_GT(scene.dogControl->dogs[i].action, 0);
    EXPECT_EQ(scene.dogControl->stats.catsPlaced, 3);
    scene.Cleanup();
    scene.Cleanup();  // a second clean-up finds nothing left
    EXPECT_EQ(scene.dogControl, nullptr);
    EXPECT_EQ(scene.textures, nullptr);
    EXPECT_EQ(scene.groundTexture, 0u);
}

// A missing pack costs its own part only: without the scene's pictures the ground still shows,
// and the packs are picked up once they appear, not at the next frame (attempts are spaced by
// a growing pause) but within seconds, each named once however often it was tried.
TEST_F(SceneTest, MissingPacksCostTheirPartAndArePickedUpWhenTheyAppear) {
    TestPackOptions none;
    none.scenePack = false;
    none.catPack = false;
    const std::string folder = WriteTestPacks(none);
    SETTINGS settings = TestSettings(3);
    RecordingAlert alerts;
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, folder.c_str()));
    GiveGround(scene, folder);
    RunFrames(scene, 5, kFrame);
    EXPECT_FALSE(scene.catsReady);
    EXPECT_EQ(scene.TextureName(SSMAIN::kFootprintTexture), 0u);
    gl.Finish();
    const Pixel p = PixelAt(gl.ReadPixels(), kWidth, 10, 10);
    uint8_t ground[3];
    GroundColour(ground);
    EXPECT_TRUE(Near(p.r, ground[0], 25) && Near(p.g, ground[1], 25) && Near(p.b, ground[2], 25))
        << int(p.r) << " " << int(p.g) << " " << int(p.b);

    for (const char* pack : {"pebble.courtyards", "c.vlm"}) {
        ASSERT_EQ(std::system(("cp " + Packs() + pack + " " + folder).c_str()), 0);
    }
    RunFrames(scene, 1, kFrame);
    EXPECT_FALSE(scene.catsReady);
    RunFrames(scene, 35, kFrame);
    EXPECT_TRUE(scene.catsReady);
    EXPECT_NE(scene.TextureName(SSMAIN::kFootprintTexture), 0u);
    EXPECT_EQ(scene.dogControl->footprintTexture, scene.TextureName(SSMAIN::kFootprintTexture));
    ASSERT_EQ(alerts.lines.size(), 2u);
    EXPECT_EQ(alerts.lines[0], "cannot read the scene pack " + folder +
                                   "pebble.courtyards: it does not exist; the scene goes on "
                                   "without its pictures");
    EXPECT_EQ(alerts.lines[1],
              "cannot read the cat model pack " + folder + "c.vlm: it does not exist");
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
    TestPackOptions shortPack;
    shortPack.sceneLumps = 9;  // up to the footprint, no toy skins
    const std::string folder = WriteTestPacks(shortPack);
    SETTINGS settings = TestSettings(1);
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, folder.c_str()));
    EXPECT_EQ(scene.numTextures, SSMAIN::kSceneTextureCount);
    EXPECT_NE(scene.TextureName(8), 0u);
    for (int slot = 9; slot < 13; ++slot) EXPECT_EQ(scene.TextureName(slot), 0u);
    EXPECT_EQ(scene.TextureName(13), 0u);
    EXPECT_EQ(scene.TextureName(-1), 0u);
    RunFrames(scene, 20, kFrame);
    ASSERT_NE(scene.dogControl->toys, nullptr);
    EXPECT_EQ(scene.dogControl->toys[0].texID, 0u);
    scene.Cleanup();
}

TEST(SceneUpdate, FrameTimesAreAddedAndLongOnesClampedToASecond) {
    SSMAIN scene;
    scene.Update(0.25);
    EXPECT_DOUBLE_EQ(scene.frameTime, 0.25);
    scene.Update(1.8);
    EXPECT_DOUBLE_EQ(scene.frameTime, 1.0);
    EXPECT_DOUBLE_EQ(scene.totalTime, 1.25);
    scene.Update(-0.5);
    EXPECT_DOUBLE_EQ(scene.frameTime, 0.0);
    EXPECT_DOUBLE_EQ(scene.totalTime, 1.25);
}

TEST(GroundQuads, OneQuadOrTwentyFiveTilesAroundTheCentre) {
    const VECTOR3D bounds{22.0f, 0.0f, 16.5f};
    const auto single = GroundQuadCentres(bounds, false);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].x, 0.0f);
    EXPECT_EQ(single[0].z, 0.0f);
    const auto tiles = GroundQuadCentres(bounds, true);
    ASSERT_EQ(tiles.size(), 25u);
    // i outer, j inner: the first tile at (-2, -2), the sixth at (-1, -2), the middle at 0.
    EXPECT_FLOAT_EQ(tiles[0].x, -88.0f);
    EXPECT_FLOAT_EQ(tiles[0].z, -66.0f);
    EXPECT_FLOAT_EQ(tiles[1].z, -33.0f);
    EXPECT_FLOAT_EQ(tiles[5].x, -44.0f);
    EXPECT_FLOAT_EQ(tiles[12].x, 0.0f);
    EXPECT_FLOAT_EQ(tiles[12].z, 0.0f);
    EXPECT_FLOAT_EQ(tiles[24].x, 88.0f);
    EXPECT_FLOAT_EQ(tiles[24].z, 66.0f);
}

TEST_F(SceneTest, TilingFollowsTheSettingFromTheNextFrameAndFogStaysSetUp) {
    SETTINGS settings = TestSettings(0);
    settings.TILEBG = false;
    SSMAIN scene;
    ASSERT_TRUE(scene.Setup(true, kWidth, kHeight, &settings, Packs().c_str()));
    GiveGround(scene, Packs());
    RunFrames(scene, 2, kFrame);
    // Look from higher up than the overview, so that the area around the ground shows.
    CAMERA& camera = scene.dogControl->camera;
    camera.eyeTarget = VECTOR3D{0.0f, 70.0f, 0.0f};
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
    EXPECT_TRUE(scene.fogReady);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));  // the ground switches it back on

    settings.TILEBG = false;
    EXPECT_EQ(cornerBrightness(), 0);
    EXPECT_TRUE(scene.fogReady);
    scene.Cleanup();
}

TEST_F(SceneTest, ASecondSetupStartsAFreshPopulation) {
    SETTINGS settings = TestSettings(2);
    SSMAIN scene;
    std::string folder = Packs();
    folder.pop_back();  // without its slash
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, folder.c_str()));
    EXPECT_EQ(std::string(scene.resourcePath), Packs());
    RunFrames(scene, 10, kFrame);
    ASSERT_TRUE(scene.catsReady);
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
    EXPECT_FALSE(scene.catsReady);
    EXPECT_EQ(scene.dogControl->dogs, nullptr);
    RunFrames(scene, 2, kFrame);
    EXPECT_TRUE(scene.catsReady);
    EXPECT_EQ(scene.dogControl->numDogs, 2);
    scene.Cleanup();
}
