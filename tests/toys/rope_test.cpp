#include "toys/rope_simulation.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<RopeSimulation> ToyRope(int count) {
    return std::make_unique<RopeSimulation>(count, 0.04f, 2000.0f, 0.25f, 1.2f,
                                            VECTOR3D{0.0f, -9.81f, 0.0f}, 0.02f, 100.0f, 0.2f, 2.0f,
                                            0.0f);
}

}  // namespace

TEST(Rope, MassesAreReachableByIndexUntilReleased) {
    const auto rope = ToyRope(12);
    EXPECT_EQ(rope->getMass(11), rope->masses[11]);
    EXPECT_TRUE(rope->getMass(-1) == nullptr && rope->getMass(12) == nullptr);
    rope->release();
    EXPECT_EQ(rope->getMass(0), nullptr);
    rope->release();  // twice is harmless
}

TEST(Rope, TheFirstMassStaysOnTheAnchorWhileTheRestHangsBelowAndBehindIt) {
    const auto rope = ToyRope(15);
    rope->anchorPos = VECTOR3D{1.0f, 3.0f, -2.0f};
    for (int i = 0; i < rope->massCount; ++i) rope->masses[i]->position = rope->anchorPos;
    rope->anchorVel = VECTOR3D{0.5f, 0.0f, 0.0f};  // the anchor drifts; the string trails it
    for (int step = 0; step < 5000; ++step) {
        rope->operate(0.002f);
        const VECTOR3D& first = rope->masses[0]->position;
        ASSERT_TRUE(first.x == rope->anchorPos.x && first.y == rope->anchorPos.y &&
                    first.z == rope->anchorPos.z);
    }
    for (int i = 1; i < 15; ++i) {
        EXPECT_LT(rope->masses[i]->position.y, rope->anchorPos.y) << i;
        EXPECT_LT(rope->masses[i]->position.x, rope->anchorPos.x) << i;
        EXPECT_GT(rope->masses[i]->position.y, -0.5f) << i;  // the ground pushes back
    }
    // An anchor below the ground is lifted onto it.
    rope->anchorPos = VECTOR3D{0.0f, -1.0f, 0.0f};
    rope->anchorVel = VECTOR3D{0.0f, -2.0f, 0.0f};
    rope->operate(0.01f);
    EXPECT_TRUE(rope->anchorPos.y == 0.0f && rope->anchorVel.y == 0.0f);
    EXPECT_EQ(rope->masses[0]->position.y, 0.0f);
}

TEST(Rope, TheGroundPushesUpDampsTheFallAndSlowsSidewaysMotionOnlyBelowIt) {
    // A mass exactly on the ground gets no ground force; below it, it is pushed up, its fall
    // damped and its sideways motion slowed.
    RopeSimulation two(2, 1.0f, 0.0f, 0.25f, 0.0f, VECTOR3D{}, 0.0f, 100.0f, 0.2f, 2.0f, 0.0f);
    two.masses[1]->velocity = VECTOR3D{1.0f, -1.0f, 0.0f};
    for (const float y : {0.0f, -0.1f}) {
        two.masses[1]->position.y = y;
        two.init();
        two.solve();
        EXPECT_FLOAT_EQ(two.masses[1]->force.y, y < 0.0f ? 2.0f + 100.0f * 0.1f : 0.0f);
        EXPECT_FLOAT_EQ(two.masses[1]->force.x, y < 0.0f ? -0.2f : 0.0f);
    }
}
