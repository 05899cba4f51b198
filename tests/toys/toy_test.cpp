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
    gluPerspective(45.0, 160.0 / 120.0, 0.5, 3000.0);
    glMatrixMode(GL_MODELVIEW);
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
        EXPECT_TRUE(toy.rope->massCount >= 10 && toy.rope->massCount <= 19);
        for (int i = 0; i < toy.rope->massCount; ++i) {
            EXPECT_EQ(toy.rope->masses[i]->position.x, toy.position.x);
            EXPECT_EQ(toy.rope->masses[i]->position.z, toy.position.z);
        }
        const float ax = std::fabs(toy.position.x), az = std::fabs(toy.position.z);
        EXPECT_TRUE((az >= dc.bounds.z + 3.0f - 1e-4f && ax <= dc.bounds.x + 1e-4f) ||
                    (ax >= dc.bounds.x + 3.0f - 1e-4f && az <= dc.bounds.z + 1e-4f));
        for (float a : {toy.angles.x, toy.angles.y, toy.angles.z})
            EXPECT_TRUE(a >= 0.0f && a < 360.0f);
    }
}

TEST_F(SceneTest, TheToyFallsTurningBouncesAndComesToRest) {
    DOGCONTROL dc;
    Overview(dc);
    std::srand(3);
    ONETOY toy;
    toy.Setup(Packs().c_str(), 0, &dc);
    toy.position = VECTOR3D{0.0f, 5.0f, 0.0f};
    toy.velocity = VECTOR3D{2.0f, 0.0f, 0.0f};
    toy.spin = VECTOR3D{100.0f, 0.0f, 0.0f};
    const float angle = toy.angles.x;
    toy.rope->anchorVel = VECTOR3D{1.0f, 0.0f, 0.0f};  // shows how long the string was simulated
    toy.Move(0.01f, &dc);
    EXPECT_FLOAT_EQ(toy.velocity.y, -0.15f);
    EXPECT_FLOAT_EQ(toy.position.y, 4.9985f);
    EXPECT_FLOAT_EQ(toy.angles.x, angle + 1.0f);  // turning in the air
    // The string hangs from the hook, 0.675 from the centre, simulated for the whole frame.
    const VECTOR3D first = toy.rope->masses[0]->position;
    const VECTOR3D hook = MatrixRotatePoint(toy.rotation, VECTOR3D{0.0f, -0.675f, 0.0f});
    ExpectVector(first, toy.position.x + hook.x + 0.01f, toy.position.y + hook.y,
                 toy.position.z + hook.z, 1e-5f);
    // On the ground it bounces: half the speed, the fall reversed, the spin slowed.
    toy.position.y = 0.71f;
    toy.velocity = VECTOR3D{2.0f, -1.0f, 0.0f};
    toy.Move(0.1f, &dc);
    ExpectVector(toy.velocity, 1.0f, 1.25f, 0.0f, 1e-6f);
    EXPECT_EQ(toy.position.y, 0.7f);
    EXPECT_FLOAT_EQ(toy.spin.x, 75.0f);
    // A bounce slower than 0.025 stops it completely.
    toy.velocity = VECTOR3D{1.0f, -0.01f, 0.0f};
    toy.Move(0.001f, &dc);
    ExpectVector(toy.velocity, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(toy.spin.x, 0.0f);
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
    EXPECT_TRUE(seconds > 5.0f && seconds < 14.5f) << seconds;
    EXPECT_EQ(dc.stats.toyThrows, 1);
    EXPECT_EQ(toy.offscreenTime, 0.0f);
    // Towards the middle at 10, upwards at 15 (less one frame of gravity).
    ExpectVector(toy.velocity, -10.0f * 0.6f, 15.0f - 15.0f * 0.05f, 10.0f * 0.8f, 1e-3f);
    // A toy in view never counts time off screen.
    toy.position = VECTOR3D{0.0f, 0.7f, 0.0f};
    for (int i = 0; i < 100; ++i) {
        toy.Move(0.1f, &dc);
        ASSERT_EQ(toy.offscreenTime, 0.0f);
    }
}

TEST_F(SceneTest, TheToyIsDrawnWhereItIs) {
    DOGCONTROL dc;
    Overview(dc);  // from above: +x is to the right
    std::srand(1);
    ONETOY toy;
    toy.Setup(Packs().c_str(), 0, &dc);
    glDisable(GL_LIGHTING);
    for (const float x : {-8.0f, 8.0f}) {
        toy.position = VECTOR3D{x, 0.7f, 0.0f};
        for (int i = 0; i < toy.rope->massCount; ++i) toy.rope->masses[i]->position = toy.position;
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        toy.Draw();
        gl.Finish();
        const auto pixels = gl.ReadPixels();
        long columns = 0, drawn = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int c = 0; c < kWidth; ++c) {
                const Pixel p = PixelAt(pixels, kWidth, c, y);
                if (p.r + p.g + p.b == 0) continue;
                columns += c;
                ++drawn;
            }
        ASSERT_GT(drawn, 0) << x;
        EXPECT_EQ(columns / drawn > kWidth / 2, x > 0.0f) << x;
    }
}

TEST(ToyRope, StepsOnceEveryTwoThousandthsOfASecond) {
    const std::pair<float, int> cases[] = {{0.01f, 5}, {1.0f / 60.0f, 9}, {0.001f, 1},
                                           {0.0f, 1},  {-1.0f, 1},        {std::nanf(""), 1}};
    for (const auto& c : cases) EXPECT_EQ(ONETOY::RopeSteps(c.first), c.second) << c.first;
}
