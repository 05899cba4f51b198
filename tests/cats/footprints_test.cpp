#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "scene_fixture.h"

namespace {

constexpr double kFrame = 1.0 / 35.0;

}  // namespace

TEST_F(SceneTest, TheRingStartsFadingAfterTheConfiguredCountAndReusesSlots) {
    SETTINGS settings = TestSettings(3, 10);
    DOGCONTROL dc;
    ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
    ASSERT_EQ(dc.numFootprints, 25);
    EXPECT_EQ(dc.nextFade, 15);
    for (int i = 0; i < dc.numFootprints; ++i) EXPECT_EQ(dc.footprints[i].life, -1.0f);

    const MATRIX identity;
    for (int n = 0; n < 10; ++n) dc.AddFootPrint(VECTOR3D{float(n), 0.0f, 0.0f}, identity);
    EXPECT_EQ(dc.footprints[0].life, 1.0f);
    EXPECT_EQ(dc.footprints[15].life, -1.0f - 1.0f / 60.0f);  // unwritten slots stay negative
    // Print number 10 starts the fading of print 0.
    dc.AddFootPrint(VECTOR3D{10.0f, 0.0f, 0.0f}, identity);
    EXPECT_NEAR(dc.footprints[0].life, 1.0f - 1.0f / 60.0f, 1e-6f);
    EXPECT_EQ(dc.footprints[1].life, 1.0f);
    // Print number 25 overwrites slot 0.
    for (int n = 11; n <= 25; ++n) dc.AddFootPrint(VECTOR3D{float(n), 0.0f, 0.0f}, identity);
    EXPECT_EQ(dc.footprints[0].life, 1.0f);
    EXPECT_FLOAT_EQ(dc.footprints[0].corners[0].x, 25.0f - 0.35f);
    EXPECT_FLOAT_EQ(dc.footprints[0].corners[0].z, 0.35f);
    EXPECT_FLOAT_EQ(dc.footprints[0].corners[2].x, 25.0f + 0.35f);
    EXPECT_FLOAT_EQ(dc.footprints[0].corners[2].z, -0.35f);
    EXPECT_EQ(dc.stats.footprintsLaid, 26);
    dc.Cleanup();

    // No footprints configured: the ring keeps one and its cursors stay inside it.
    for (const int cats : {0, 2}) {
        SETTINGS none = TestSettings(cats, 0);
        DOGCONTROL small;
        ASSERT_TRUE(SetUpPopulation(small, none, Packs()));
        EXPECT_EQ(small.numFootprints, 1 + 5 * cats);
        for (int n = 0; n < 30; ++n) {
            ASSERT_GE(small.nextFade, 0);
            ASSERT_LT(small.nextFade, small.numFootprints);
            small.AddFootPrint(VECTOR3D{}, identity);
        }
        small.Cleanup();
    }
}

TEST_F(SceneTest, PrintsFadeWithinASecondOnceNudgedAndAreDrawnBlended) {
    SETTINGS settings = TestSettings(1, 1);
    DOGCONTROL dc;
    ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
    const MATRIX identity;
    dc.AddFootPrint(VECTOR3D{0.0f, 0.0f, 0.0f}, identity);
    for (int i = 0; i < 50; ++i) dc.DrawFootPrints(0.1);
    EXPECT_EQ(dc.footprints[0].life, 1.0f);  // full strength does not fade
    for (int n = 0; n < 5; ++n) dc.AddFootPrint(VECTOR3D{100.0f, 0.0f, 0.0f}, identity);
    ASSERT_LT(dc.footprints[0].life, 1.0f);
    for (int i = 0; i < 9; ++i) dc.DrawFootPrints(0.1);
    EXPECT_GT(dc.footprints[0].life, 0.0f);
    dc.DrawFootPrints(0.1);
    EXPECT_LE(dc.footprints[0].life, 0.0f);

    // Drawn: a fresh print darkens a white floor by its alpha of 0.2, and the GL state is restored.
    dc.AddFootPrint(VECTOR3D{0.0f, 0.0f, 0.0f}, identity);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -2.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);  // look straight down on the print
    glEnable(GL_CULL_FACE);
    dc.DrawFootPrints(0.0);
    gl.Finish();
    const auto pixels = gl.ReadPixels();
    const Pixel centre = PixelAt(pixels, kWidth, kWidth / 2, kHeight / 2);
    EXPECT_NEAR(centre.r, 204, 3);
    const Pixel outside = PixelAt(pixels, kWidth, 2, 2);
    EXPECT_EQ(outside.r, 255);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
    dc.Cleanup();
}

TEST_F(SceneTest, CatsLayOnePrintPerTouchDownInEveryAction) {
    SETTINGS settings = TestSettings(1, 1000);
    DOGCONTROL dc;
    std::srand(4);
    ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
    ONEDOG& cat = dc.dogs[0];
    cat.Reset(&dc);
    EXPECT_EQ(dc.stats.footprintsLaid, 0);
    int64_t touchDowns = 0;
    int64_t idleTouchDowns = 0;
    for (int frame = 0; frame < 35 * 60; ++frame) {
        int before[4];
        for (int i = 0; i < 4; ++i) before[i] = cat.footDown[i];
        const int64_t laid = dc.stats.footprintsLaid;
        const int action = cat.action;
        cat.Move(kFrame, &dc);
        int downs = 0;
        for (int i = 0; i < 4; ++i) downs += before[i] <= 0 && cat.footDown[i] == 1;
        ASSERT_EQ(dc.stats.footprintsLaid - laid, downs) << "frame " << frame;
        touchDowns += downs;
        if (action == ONEDOG::kIdle) idleTouchDowns += downs;
        // A paw is down exactly when it is below 0.175.
        for (int i = 0; i < 4; ++i) ASSERT_EQ(cat.footDown[i] == 1, cat.footPos[i].y < 0.175f);
    }
    EXPECT_GT(touchDowns, 100);
    EXPECT_GT(idleTouchDowns, 0);
    dc.Cleanup();
}
