#include "toys/rope_simulation.h"

#include <gtest/gtest.h>

namespace {

RopeSimulation* ToyRope(int count) {
    return new RopeSimulation(count, 0.04f, 2000.0f, 0.25f, 1.2f, VECTOR3D{0.0f, -9.81f, 0.0f},
                              0.02f, 100.0f, 0.2f, 2.0f, 0.0f);
}

}  // namespace

TEST(Rope, IsAChainOfMassesJoinedByOneSpringFewer) {
    RopeSimulation* rope = ToyRope(12);
    ASSERT_EQ(rope->massCount, 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(rope->getMass(i)->position.z, 0.25f * i);
        EXPECT_EQ(rope->getMass(i)->mass, 0.04f);
    }
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(rope->springs[i]->first, rope->masses[i]);
        EXPECT_EQ(rope->springs[i]->second, rope->masses[i + 1]);
    }
    EXPECT_EQ(rope->getMass(-1), nullptr);
    EXPECT_EQ(rope->getMass(12), nullptr);
    rope->release();
    EXPECT_EQ(rope->getMass(0), nullptr);
    rope->release();  // twice is harmless
    delete rope;
}

TEST(Rope, TheFirstMassStaysOnTheAnchorWhileTheRestHangsBelowIt) {
    RopeSimulation* rope = ToyRope(15);
    rope->anchorPos = VECTOR3D{1.0f, 3.0f, -2.0f};
    for (int i = 0; i < rope->massCount; ++i) rope->masses[i]->position = rope->anchorPos;
    rope->anchorVel = VECTOR3D{0.5f, 0.0f, 0.0f};  // the anchor drifts; the string trails it
    for (int step = 0; step < 5000; ++step) {
        rope->operate(0.002f);
        ASSERT_EQ(rope->masses[0]->position.x, rope->anchorPos.x);
        ASSERT_EQ(rope->masses[0]->position.y, rope->anchorPos.y);
        ASSERT_EQ(rope->masses[0]->position.z, rope->anchorPos.z);
    }
    // The rest of the string hangs below the anchor and behind it, above the ground's push.
    for (int i = 1; i < 15; ++i) {
        EXPECT_LT(rope->masses[i]->position.y, rope->anchorPos.y) << i;
        EXPECT_LT(rope->masses[i]->position.x, rope->anchorPos.x) << i;
        EXPECT_GT(rope->masses[i]->position.y, -0.5f) << i;
    }
    delete rope;

    // An anchor below the ground is lifted onto it.
    RopeSimulation* low = ToyRope(10);
    low->anchorPos = VECTOR3D{0.0f, -1.0f, 0.0f};
    low->anchorVel = VECTOR3D{0.0f, -2.0f, 0.0f};
    low->operate(0.01f);
    EXPECT_EQ(low->anchorPos.y, 0.0f);
    EXPECT_EQ(low->anchorVel.y, 0.0f);
    EXPECT_EQ(low->masses[0]->position.y, 0.0f);
    delete low;
}

TEST(Rope, ForcesFollowTheSpringGroundAndDampingRules) {
    // Two masses at one point: no stretching force, only damping.
    MASS a(1.0f), b(1.0f);
    a.velocity = VECTOR3D{1.0f, 0.0f, 0.0f};
    SPRING s(&a, &b, 100.0f, 1.0f, 0.5f);
    s.solve();
    EXPECT_FLOAT_EQ(a.force.x, -0.5f);
    EXPECT_FLOAT_EQ(b.force.x, 0.5f);
    EXPECT_EQ(a.force.y, 0.0f);
    // Stretched by 1 along y: pulled together with stiffness times the stretch.
    MASS c(1.0f), d(1.0f);
    d.position = VECTOR3D{0.0f, 2.0f, 0.0f};
    SPRING t(&c, &d, 100.0f, 1.0f, 0.0f);
    t.solve();
    EXPECT_FLOAT_EQ(c.force.y, 100.0f);
    EXPECT_FLOAT_EQ(d.force.y, -100.0f);

    // dt 0 changes nothing but pinning the first mass.
    RopeSimulation* rope = ToyRope(10);
    rope->masses[5]->velocity = VECTOR3D{1.0f, 2.0f, 3.0f};
    rope->anchorPos = VECTOR3D{4.0f, 5.0f, 6.0f};
    rope->operate(0.0f);
    EXPECT_EQ(rope->masses[5]->position.z, 1.25f);
    EXPECT_EQ(rope->masses[5]->velocity.y, 2.0f);
    EXPECT_EQ(rope->masses[0]->position.x, 4.0f);

    // A mass exactly on the ground gets no ground force; below it is pushed up and its fall
    // damped, its sideways motion slowed.
    RopeSimulation* two =
        new RopeSimulation(2, 1.0f, 0.0f, 0.25f, 0.0f, VECTOR3D{}, 0.0f, 100.0f, 0.2f, 2.0f, 0.0f);
    two->masses[1]->velocity = VECTOR3D{1.0f, -1.0f, 0.0f};
    two->init();
    two->solve();
    EXPECT_EQ(two->masses[1]->force.y, 0.0f);
    two->masses[1]->position.y = -0.1f;
    two->init();
    two->solve();
    EXPECT_FLOAT_EQ(two->masses[1]->force.y, 2.0f * 1.0f + 100.0f * 0.1f);
    EXPECT_FLOAT_EQ(two->masses[1]->force.x, -0.2f);
    delete two;
    delete rope;
}
