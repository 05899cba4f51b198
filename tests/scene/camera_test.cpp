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

TEST(Camera, StaysInTheOverviewForTwentySecondsThenAlternatesShots) {
    std::srand(11);
    CAMERA camera;
    const VECTOR3D cat{3.0f, 0.0f, 4.0f};
    for (int i = 0; i < 19 * 35; ++i) {
        camera.Advance(kFrame, 1.0f, &cat, 1);
        ASSERT_EQ(camera.mode, CAMERA::kOverview);
        ExpectVector(camera.eye, 0.0f, 40.0f, 0.0f);
        ExpectVector(camera.up, 0.0f, 0.0f, -1.0f);
    }
    // Record the shot entered at every expiry of the timer over an hour.
    std::vector<int> shots;
    int seenEntered = camera.shotsEntered;
    for (int i = 0; i < 3600 * 35; ++i) {
        camera.Advance(kFrame, 1.0f, &cat, 1);
        if (camera.shotsEntered != seenEntered) {
            seenEntered = camera.shotsEntered;
            shots.push_back(camera.mode);
        }
    }
    ASSERT_GT(shots.size(), 60u);
    // A moving shot is always followed by the overview.
    for (size_t i = 0; i + 1 < shots.size(); ++i) {
        if (shots[i] != CAMERA::kOverview) {
            EXPECT_EQ(shots[i + 1], CAMERA::kOverview);
        }
    }
    // Each kind of shot occurs.
    for (int mode = 1; mode <= 3; ++mode) {
        EXPECT_NE(std::count(shots.begin(), shots.end(), mode), 0) << mode;
    }
}

TEST(Camera, GlidesBackToTheOverviewAndSnapsIntoItAfterFiveSeconds) {
    std::srand(5);
    CAMERA camera;
    camera.mode = CAMERA::kTumble;
    camera.spin = VECTOR3D{15.0f, -10.0f, 5.0f};
    camera.blendTarget = 2.0f;
    camera.modeTimer = 10.0f;
    for (int i = 0; i < 10 * 35; ++i) camera.Advance(kFrame, 1.0f, nullptr, 0);
    ASSERT_EQ(camera.mode, CAMERA::kOverview);
    EXPECT_EQ(camera.blendTarget, 2.0f);
    // Gliding: neither there nor snapped.
    for (int i = 0; i < 4 * 35; ++i) camera.Advance(kFrame, 1.0f, nullptr, 0);
    const bool there = camera.eye.x == 0.0f && camera.eye.y == 40.0f && camera.eye.z == 0.0f;
    EXPECT_FALSE(there);
    for (int i = 0; i < 2 * 35; ++i) camera.Advance(kFrame, 1.0f, nullptr, 0);
    ExpectVector(camera.eye, 0.0f, 40.0f, 0.0f);
    ExpectVector(camera.up, 0.0f, 0.0f, -1.0f);
}

TEST(Camera, NeverFollowsWhenThereIsNoCat) {
    std::srand(1);
    CAMERA camera;
    for (int i = 0; i < 3 * 3600 * 10; ++i) {
        camera.Advance(0.1, 1.0f, nullptr, 0);
        ASSERT_NE(camera.mode, CAMERA::kFollow);
    }
    EXPECT_GT(camera.shotsEntered, 100);
}

TEST(Camera, TheFollowShotAimsAboveTheCatAtItsDistance) {
    std::srand(2);
    CAMERA camera;
    camera.mode = CAMERA::kFollow;
    camera.followIndex = 1;
    camera.offset = VECTOR3D{0.0f, 6.0f, 8.0f};
    camera.spin = VECTOR3D{0.0f, 0.0f, 0.0f};
    const VECTOR3D cats[2] = {{-5.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 4.0f}};
    camera.Advance(kFrame, 1.0f, cats, 2);
    ExpectVector(camera.eyeTarget, 3.0f, 8.0f, 12.0f, 1e-5f);
    ExpectVector(camera.centreTarget, 3.0f, 1.0f, 4.0f, 1e-5f);
    ExpectVector(camera.upTarget, 0.0f, 1.0f, 0.0f);

    // Entering the shot puts the eye max(10, 10 * size) from the point 2 above the cat.
    for (const float size : {0.5f, 2.0f}) {
        bool followed = false;
        for (int attempt = 0; attempt < 200; ++attempt) {
            CAMERA c;
            c.modeTimer = 0.0f;  // the overview ends in this frame
            c.Advance(kFrame, size, cats, 2);
            if (c.mode != CAMERA::kFollow) continue;
            const VECTOR3D p = cats[c.followIndex];
            const float dx = c.eyeTarget.x - p.x, dy = c.eyeTarget.y - p.y - 2.0f,
                        dz = c.eyeTarget.z - p.z;
            EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), std::max(10.0f, 10.0f * size),
                        1e-3);
            EXPECT_EQ(c.blendTarget, 10.0f);
            followed = true;
            break;
        }
        EXPECT_TRUE(followed);
    }
}

TEST(Camera, TheOrbitCirclesAtAFixedHeightAndAnEyeTargetBelowTheGroundIsMirrored) {
    CAMERA orbit;
    orbit.mode = CAMERA::kOrbit;
    orbit.modeTimer = 100.0f;
    orbit.eyeTarget = VECTOR3D{0.0f, 20.0f, 34.64f};
    orbit.spin = VECTOR3D{0.0f, 15.0f, 0.0f};
    for (int i = 0; i < 350; ++i) {
        orbit.Advance(kFrame, 1.0f, nullptr, 0);
        ASSERT_NEAR(orbit.eyeTarget.y, 20.0f, 1e-3);
        ASSERT_NEAR(std::hypot(orbit.eyeTarget.x, orbit.eyeTarget.z), 34.64f, 1e-2);
    }

    CAMERA tumble;
    tumble.mode = CAMERA::kTumble;
    tumble.modeTimer = 100.0f;
    tumble.blend = tumble.blendTarget = 2.0f;
    tumble.eyeTarget = VECTOR3D{0.0f, -30.0f, 0.0f};
    tumble.spin = VECTOR3D{};
    for (int i = 0; i < 35 * 20; ++i) tumble.Advance(kFrame, 1.0f, nullptr, 0);
    EXPECT_NEAR(tumble.eye.y, 30.0f, 0.05f);
    EXPECT_GT(tumble.eye.y, 0.0f);
}
