#include "toys/one_toy.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "cats/dog_control.h"
#include "scene_fixture.h"
#include "toys/rope_simulation.h"

namespace {

// A population measured for the scene's overview, without cats.
void Overview(DOGCONTROL& dc) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 160.0 / 120.0, 0.5, 3000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    dc.GetBounds();
    gluLookAt(0, 40, 0, 0, 0, 0, 0, 0, -1);
    dc.frustum.ExtractFrustumFaster();
}

}  // namespace

TEST_F(SceneTest, TheToyStartsOutsideTheGroundWithItsRopeOnIt) {
    DOGCONTROL dc;
    Overview(dc);
    for (int seed = 0; seed < 20; ++seed) {
        std::srand(seed);
        ONETOY toy;
        toy.Setup(Packs().c_str(), 0, &dc);
        EXPECT_NE(toy.displayList, 0u);
        ASSERT_NE(toy.rope, nullptr);
        EXPECT_GE(toy.rope->massCount, 10);
        EXPECT_LE(toy.rope->massCount, 19);
        for (int i = 0; i < toy.rope->massCount; ++i) {
            EXPECT_EQ(toy.rope->masses[i]->position.x, toy.position.x);
            EXPECT_EQ(toy.rope->masses[i]->position.z, toy.position.z);
        }
        const float ax = std::fabs(toy.position.x), az = std::fabs(toy.position.z);
        EXPECT_TRUE((az >= dc.bounds.z + 3.0f - 1e-4f && ax <= dc.bounds.x + 1e-4f) ||
                    (ax >= dc.bounds.x + 3.0f - 1e-4f && az <= dc.bounds.z + 1e-4f));
        for (float a : {toy.angles.x, toy.angles.y, toy.angles.z}) {
            EXPECT_GE(a, 0.0f);
            EXPECT_LT(a, 360.0f);
        }
    }
    // Without its pack the toy exists but has no list and no rope.
    TestPackOptions noToy;
    noToy.toyPack = false;
    const std::string folder = WriteTestPacks(noToy);
    ONETOY bare;
    bare.Setup(folder.c_str(), 0, &dc);
    EXPECT_EQ(bare.displayList, 0u);
    EXPECT_EQ(bare.rope, nullptr);
    bare.velocity = VECTOR3D{1.0f, 0.0f, 0.0f};
    bare.Move(0.1f, &dc);
    EXPECT_GT(bare.position.x, 0.0f);
    bare.Draw();
}

TEST_F(SceneTest, TheToyFallsBouncesAndComesToRest) {
    DOGCONTROL dc;
    Overview(dc);
    std::srand(3);
    ONETOY toy;
    toy.Setup(Packs().c_str(), 0, &dc);
    toy.position = VECTOR3D{0.0f, 5.0f, 0.0f};
    toy.velocity = VECTOR3D{2.0f, 0.0f, 0.0f};
    toy.spin = VECTOR3D{100.0f, 0.0f, 0.0f};
    toy.Move(0.1f, &dc);
    EXPECT_FLOAT_EQ(toy.velocity.y, -1.5f);
    EXPECT_FLOAT_EQ(toy.position.y, 4.85f);
    EXPECT_FLOAT_EQ(toy.angles.x, toy.angles.x);  // finite
    // Falls to the ground and bounces: half the speed, reversed, spin damped.
    int bounces = 0;
    float lastVy = toy.velocity.y;
    for (int i = 0; i < 2000; ++i) {
        toy.Move(0.001f, &dc);
        if (lastVy < 0.0f && toy.velocity.y > 0.0f) ++bounces;
        lastVy = toy.velocity.y;
        ASSERT_GE(toy.position.y, 0.7f);
    }
    EXPECT_GE(bounces, 2);
    EXPECT_LT(std::fabs(toy.velocity.x), 2.0f);
    // At frame times under 1/300 s it stops completely.
    for (int i = 0; i < 20000; ++i) toy.Move(0.001f, &dc);
    EXPECT_EQ(toy.velocity.y, 0.0f);
    EXPECT_EQ(toy.velocity.x, 0.0f);
    EXPECT_EQ(toy.spin.x, 0.0f);
    // Its string hangs from the hook, 0.675 from the centre.
    const VECTOR3D first = toy.rope->masses[0]->position;
    const float dx = first.x - toy.position.x, dy = first.y - toy.position.y,
                dz = first.z - toy.position.z;
    EXPECT_EQ(first.x, toy.rope->anchorPos.x);
    if (first.y > 0.0f) {
        EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 0.675f, 1e-3f);
    }
}

TEST_F(SceneTest, TheToyIsThrownBackAfterBeingOutOfViewForAWhile) {
    DOGCONTROL dc;
    Overview(dc);
    std::srand(8);
    ONETOY toy;
    toy.Setup(Packs().c_str(), 0, &dc);
    toy.position = VECTOR3D{60.0f, 0.7f, -80.0f};  // far outside the view
    toy.velocity = VECTOR3D{};
    float seconds = 0.0f;
    while (dc.stats.toyThrows == 0 && seconds < 30.0f) {
        toy.Move(0.05f, &dc);
        seconds += 0.05f;
    }
    // Between 5 and 14 seconds: the threshold is drawn afresh every frame.
    EXPECT_GT(seconds, 5.0f);
    EXPECT_LT(seconds, 14.5f);
    EXPECT_EQ(dc.stats.toyThrows, 1);
    EXPECT_EQ(toy.offscreenTime, 0.0f);
    // Towards the middle at 10, upwards at 15 (less one frame of gravity).
    ExpectVector(toy.velocity, -10.0f * 0.6f, 15.0f - 15.0f * 0.05f, 10.0f * 0.8f, 1e-3f);

    // A toy in view never counts time off screen.
    toy.position = VECTOR3D{0.0f, 0.7f, 0.0f};
    toy.velocity = VECTOR3D{};
    for (int i = 0; i < 100; ++i) {
        toy.Move(0.1f, &dc);
        ASSERT_EQ(toy.offscreenTime, 0.0f);
    }
    // Right above the origin it is thrown straight up.
    toy.position = VECTOR3D{0.0f, 500.0f, 0.0f};
    toy.offscreenTime = 100.0f;
    toy.Move(0.0f, &dc);
    ExpectVector(toy.velocity, 0.0f, 15.0f, 0.0f);
}

TEST(ToyRope, StepsOnceEveryTwoThousandthsOfASecond) {
    EXPECT_EQ(ONETOY::RopeSteps(0.01f), 5);
    EXPECT_EQ(ONETOY::RopeSteps(1.0f / 60.0f), 9);
    EXPECT_EQ(ONETOY::RopeSteps(0.001f), 1);
    EXPECT_EQ(ONETOY::RopeSteps(0.0f), 1);
    EXPECT_EQ(ONETOY::RopeSteps(-1.0f), 1);
    EXPECT_EQ(ONETOY::RopeSteps(std::nanf("")), 1);
}
