#include "scene/camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "scene_fixture.h"

namespace {

constexpr double kFrame = 1.0 / 35.0;

}  // namespace

// Twenty seconds of overview, then shots of every kind, each followed by the overview; the
// follow shot only when there is a cat to follow.
TEST(Camera, StaysInTheOverviewForTwentySecondsThenAlternatesShots) {
    const VECTOR3D cat{3.0f, 0.0f, 4.0f};
    for (const int cats : {1, 0}) {
        SCOPED_TRACE(cats);
        std::srand(11);
        CAMERA camera;
        for (int i = 0; i < 19 * 35; ++i) {
            camera.Advance(kFrame, 1.0f, &cat, cats);
            ASSERT_EQ(camera.mode, CAMERA::kOverview);
            ExpectVector(camera.eye, 0.0f, 40.0f, 0.0f);
        }
        std::vector<int> shots;
        for (int seen = camera.shotsEntered, i = 0; i < 3600 * 35; ++i) {
            camera.Advance(kFrame, 1.0f, &cat, cats);
            if (camera.shotsEntered == seen) continue;
            seen = camera.shotsEntered;
            shots.push_back(camera.mode);
            if (camera.mode == CAMERA::kOrbit) {
                EXPECT_LE(std::fabs(camera.spin.y), 20.0f);  // turning either way, gently
            }
        }
        ASSERT_GT(shots.size(), 60u);
        for (size_t i = 0; i + 1 < shots.size(); ++i)
            EXPECT_TRUE(shots[i] == CAMERA::kOverview || shots[i + 1] == CAMERA::kOverview) << i;
        for (int mode = 1; mode <= 3; ++mode)
            EXPECT_EQ(std::count(shots.begin(), shots.end(), mode) > 0, mode < 3 || cats > 0)
                << mode;
    }
}

TEST(Camera, GlidesBackToTheOverviewAndSnapsIntoItAfterFiveSeconds) {
    std::srand(5);
    CAMERA camera;
    camera.mode = CAMERA::kTumble;
    camera.spin = VECTOR3D{15.0f, -10.0f, 5.0f};
    camera.blendTarget = 2.0f;
    camera.modeTimer = 10.0f;
    for (int i = 0; i < 14 * 35; ++i) camera.Advance(kFrame, 1.0f, nullptr, 0);
    ASSERT_EQ(camera.mode, CAMERA::kOverview);
    // Gliding: neither there nor snapped.
    EXPECT_FALSE(camera.eye.x == 0.0f && camera.eye.y == 40.0f && camera.eye.z == 0.0f);
    for (int i = 0; i < 2 * 35; ++i) camera.Advance(kFrame, 1.0f, nullptr, 0);
    ExpectVector(camera.eye, 0.0f, 40.0f, 0.0f);
    ExpectVector(camera.up, 0.0f, 0.0f, -1.0f);
}

// The follow shot aims 2 above the cat, its eye max(10, 10 * size) from there.
TEST(Camera, TheFollowShotAimsAboveTheCatAtItsDistance) {
    const VECTOR3D cats[2] = {{-5.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 4.0f}};
    CAMERA camera;
    camera.mode = CAMERA::kFollow;
    camera.followIndex = 1;
    camera.offset = VECTOR3D{0.0f, 6.0f, 8.0f};
    camera.Advance(kFrame, 1.0f, cats, 2);
    ExpectVector(camera.eyeTarget, 3.0f, 8.0f, 12.0f, 1e-5f);
    ExpectVector(camera.centreTarget, 3.0f, 1.0f, 4.0f, 1e-5f);

    std::srand(2);
    for (const float size : {0.5f, 2.0f}) {
        CAMERA c;
        for (int attempt = 0; attempt < 200 && c.mode != CAMERA::kFollow; ++attempt) {
            c = CAMERA();
            c.modeTimer = 0.0f;  // the overview ends in this frame
            c.Advance(kFrame, size, cats, 2);
        }
        ASSERT_EQ(c.mode, CAMERA::kFollow);
        const VECTOR3D p = cats[c.followIndex];
        EXPECT_NEAR(
            std::hypot(c.eyeTarget.x - p.x, c.eyeTarget.y - p.y - 2.0f, c.eyeTarget.z - p.z),
            std::max(10.0f, 10.0f * size), 1e-3);
    }
}

TEST(Camera, AnEyeTargetBelowTheGroundIsMirrored) {
    CAMERA tumble;
    tumble.mode = CAMERA::kTumble;
    tumble.modeTimer = 100.0f;
    tumble.blend = tumble.blendTarget = 2.0f;
    tumble.eyeTarget = VECTOR3D{0.0f, -30.0f, 0.0f};  // and no spin
    for (int i = 0; i < 35 * 20; ++i) tumble.Advance(kFrame, 1.0f, nullptr, 0);
    EXPECT_NEAR(tumble.eye.y, 30.0f, 0.05f);
}
