#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "cats/dog_anims.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "scene_fixture.h"
#include "toys/one_toy.h"

namespace {

constexpr double kFrame = 1.0 / 35.0;

// A walking cat at `p` heading along +z, its target far ahead.
void Walking(ONEDOG& cat, VECTOR3D p) {
    cat.action = ONEDOG::kWalk;
    cat.position = p;
    cat.angles = VECTOR3D{};
    cat.rotation = MATRIX();
    cat.heading = VECTOR3D{0.0f, 0.0f, 1.0f};
    cat.target = VECTOR3D{p.x, 0.0f, p.z + 100.0f};
    cat.toy = nullptr;
}

// Moves every cat but `keep` far out of the way.
void ClearOthers(DOGCONTROL& dc, int keep) {
    for (int i = 0; i < dc.numDogs; ++i) {
        if (i != keep) Walking(dc.dogs[i], VECTOR3D{500.0f + 50.0f * i, 0.0f, 500.0f});
    }
}

class CatsTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        settings = TestSettings(3);
        std::srand(17);
        ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
    }
    void TearDown() override {
        dc.Cleanup();
        SceneTest::TearDown();
    }
    // Creates the toy at `p`, lying still.
    ONETOY& ToyAt(VECTOR3D p) {
        if (!dc.toys) {
            dc.toys = new ONETOY[1];
            dc.toys[0].Setup(Packs().c_str(), 0, &dc);
        }
        ONETOY& toy = dc.toys[0];
        toy.position = p;
        toy.velocity = VECTOR3D{};
        toy.spin = VECTOR3D{};
        return toy;
    }

    SETTINGS settings;
    DOGCONTROL dc;
};

}  // namespace

TEST_F(CatsTest, CatsAreCopiesWithTheirOwnBuffersAndCoats) {
    ASSERT_EQ(dc.numDogs, 3);
    const ONEDOG& model = *dc.dogTemplate[0].model;
    for (int i = 0; i < 3; ++i) {
        const ONEDOG& cat = dc.dogs[i];
        EXPECT_EQ(cat.action, ONEDOG::kUnplaced);
        EXPECT_EQ(cat.animTemplate, model.animTemplate);
        EXPECT_EQ(cat.vertexCount, model.vertexCount);
        EXPECT_NE(cat.vertices, model.vertices);
        EXPECT_EQ(cat.jointCount, 68);
        ASSERT_GT(cat.materialCount, 0);
        EXPECT_EQ(cat.materials[0].texID, dc.dogTextures[i].texID);
        EXPECT_NE(cat.materials[0].texID, 0u);
    }
    EXPECT_EQ(model.materials[0].texID, 0u);  // the template never wears a coat
}

TEST_F(SceneTest, TwoCatsWearDifferentCoatsAndOneCatAnyCoat) {
    for (int seed = 0; seed < 12; ++seed) {
        for (const int cats : {1, 2}) {
            SETTINGS s = TestSettings(cats);
            DOGCONTROL dc;
            std::srand(seed);
            ASSERT_TRUE(SetUpPopulation(dc, s, Packs()));
            if (cats == 2) {
                EXPECT_NE(dc.dogs[0].texIndex, dc.dogs[1].texIndex);
                // The second cat still holds 0 while the first chooses.
                EXPECT_NE(dc.dogs[0].texIndex, 0);
            }
            for (int i = 0; i < cats; ++i) {
                EXPECT_GE(dc.dogs[i].texIndex, 0);
                EXPECT_LE(dc.dogs[i].texIndex, 2);
                // Only the coats worn are loaded.
                EXPECT_NE(dc.dogTextures[dc.dogs[i].texIndex].texID, 0u);
            }
            dc.Cleanup();
        }
    }
}

TEST_F(CatsTest, CatsEnterFromOutsideTheGroundAndWalkOntoIt) {
    const float bx = dc.bounds.x, bz = dc.bounds.z;
    ASSERT_GT(bx, 10.0f);
    for (int n = 0; n < 200; ++n) {
        ONEDOG& cat = dc.dogs[n % 3];
        cat.action = ONEDOG::kUnplaced;
        cat.Reset(&dc);
        EXPECT_EQ(cat.action, ONEDOG::kPlaced);
        EXPECT_EQ(cat.blendRate, 2.0f);
        const float ax = std::fabs(cat.position.x), az = std::fabs(cat.position.z);
        const bool acrossZ = az >= bz + 3.0f - 1e-4f && az <= bz + 7.0f + 1e-4f && ax <= bx + 1e-4f;
        const bool acrossX = ax >= bx + 3.0f - 1e-4f && ax <= bx + 7.0f + 1e-4f && az <= bz + 1e-4f;
        EXPECT_TRUE(acrossZ || acrossX) << cat.position.x << ", " << cat.position.z;
    }
    for (int i = 0; i < 3; ++i) dc.dogs[i].action = ONEDOG::kUnplaced;
    for (int frame = 0; frame < 35 * 40; ++frame) dc.Move(kFrame, Packs().c_str());
    for (int i = 0; i < 3; ++i) {
        const ONEDOG& cat = dc.dogs[i];
        EXPECT_GT(cat.action, 0);
        // On the ground (chasing the toy or avoiding a cat may take it a little beyond).
        EXPECT_LT(std::fabs(cat.position.x), bx + 3.0f) << i;
        EXPECT_LT(std::fabs(cat.position.z), bz + 3.0f) << i;
        EXPECT_EQ(cat.position.y, 0.0f);
    }
}

TEST_F(CatsTest, IdleChainsRunThroughTheirClipsAndEndInWalking) {
    ClearOthers(dc, 0);
    ONEDOG& cat = dc.dogs[0];
    Walking(cat, VECTOR3D{});
    cat.targetSpeed = 0.0f;
    cat.action = ONEDOG::kIdle;
    cat.SetAnim(6, true);
    std::vector<int> clips{6};
    int frames = 0;
    while (cat.action == ONEDOG::kIdle && frames++ < 35 * 120) {
        cat.Move(kFrame, &dc);
        if (cat.clip != clips.back()) clips.push_back(cat.clip);
        // An idling cat stays where it is.
        ASSERT_EQ(cat.position.x, 0.0f);
        ASSERT_EQ(cat.position.z, 0.0f);
    }
    EXPECT_EQ(cat.action, ONEDOG::kWalk);
    ASSERT_GE(clips.size(), 4u);
    EXPECT_EQ(clips[1], 7);
    EXPECT_EQ(clips[2], 8);
    // Then a walk clip.
    const int walk = clips[3];
    EXPECT_TRUE(walk == 15 || walk == 4 || walk == 16 || walk == 38 || walk == 59) << walk;
    EXPECT_GT(cat.targetSpeed, 0.0f);

    // Playing without a toy is idling.
    cat.toy = nullptr;
    cat.SetAction(ONEDOG::kPlay);
    EXPECT_EQ(cat.action, ONEDOG::kIdle);
    EXPECT_EQ(cat.targetSpeed, 0.0f);
    bool isIdleClip = false;
    for (int c : idleClips) isIdleClip = isIdleClip || c == cat.clip;
    EXPECT_TRUE(isIdleClip);
}

TEST_F(CatsTest, WalkingSmoothsSpeedAndTurnsTheShortWay) {
    ClearOthers(dc, 0);
    ONEDOG& cat = dc.dogs[0];
    Walking(cat, VECTOR3D{});
    cat.action = ONEDOG::kFinish;
    cat.SetAnim(5, false);
    cat.speed = 1.0f;
    cat.targetSpeed = 8.0f;
    cat.Move(kFrame, &dc);
    EXPECT_NEAR(cat.speed, 1.2f, 1e-5f);

    cat.angles.y = 170.0f;
    const double a = -170.0 * 3.141592653589793 / 180.0;
    cat.lookTarget = VECTOR3D{static_cast<float>(10.0 * std::sin(a)), 0.0f,
                              static_cast<float>(10.0 * std::cos(a))};
    cat.TurnToTarget(1.0f, 0.5);
    EXPECT_NEAR(cat.angles.y, -180.0f, 0.2f);
    EXPECT_NEAR(cat.heading.z, -1.0f, 1e-3f);

    // A walking cat whose target is its own position picks a random target inside the ground.
    Walking(cat, VECTOR3D{});
    cat.SetAction(ONEDOG::kWalk);
    EXPECT_EQ(cat.target.x, 0.0f);
    for (int i = 0; i < 20 && cat.action == ONEDOG::kWalk; ++i) {
        cat.Move(kFrame, &dc);
        EXPECT_LE(std::fabs(cat.target.x), 0.9f * dc.bounds.x + 1e-4f);
        EXPECT_LE(std::fabs(cat.target.z), 0.9f * dc.bounds.z + 1e-4f);
    }
}

TEST_F(CatsTest, ACatNearTheToyStartsToPlayOnlyWhenNoOtherCatHoldsIt) {
    ClearOthers(dc, 0);
    ONEDOG& cat = dc.dogs[0];
    ONETOY& toy = ToyAt(VECTOR3D{0.0f, 0.0f, 2.0f});  // squared distance 4: near, not touching
    dc.dogs[1].toy = &toy;
    for (int i = 0; i < 300; ++i) {
        Walking(cat, VECTOR3D{});
        cat.CheckCollisions(&dc, static_cast<float>(kFrame));
        ASSERT_EQ(cat.action, ONEDOG::kWalk);
        ASSERT_EQ(cat.toy, nullptr);
    }
    dc.dogs[1].toy = nullptr;
    int tries = 0;
    while (cat.action == ONEDOG::kWalk && tries++ < 300) {
        Walking(cat, VECTOR3D{});
        cat.CheckCollisions(&dc, static_cast<float>(kFrame));
    }
    EXPECT_EQ(cat.action, ONEDOG::kPlay);
    EXPECT_EQ(cat.toy, &toy);
    bool isToyClip = false;
    for (int c : toyClips) isToyClip = isToyClip || c == cat.clip;
    EXPECT_TRUE(isToyClip);
    EXPECT_EQ(toy.velocity.x, 0.0f);  // near is not touching: no kick
    EXPECT_EQ(dc.stats.toyKicks, 0);
}

TEST_F(CatsTest, KicksAndHitsLaunchTheToyByTheirVelocityRules) {
    ClearOthers(dc, 0);
    ONEDOG& cat = dc.dogs[0];
    Walking(cat, VECTOR3D{1.0f, 0.0f, 2.0f});
    ONETOY& toy = ToyAt(VECTOR3D{1.5f, 0.7f, 2.8f});  // squared distance 1.38: touching

    std::srand(99);
    int r[6];
    for (int& v : r) v = std::rand();
    std::srand(99);
    cat.CheckCollisions(&dc, static_cast<float>(kFrame));
    EXPECT_FLOAT_EQ(toy.velocity.x, (r[2] % 4) - 2 + 0.5f * 5.0f);
    EXPECT_FLOAT_EQ(toy.velocity.y, (r[1] % 4) + 5 + 0.7f * 5.0f);
    EXPECT_FLOAT_EQ(toy.velocity.z, (r[0] % 4) - 2 + 0.8f * 5.0f);
    EXPECT_EQ(toy.spin.x, (r[5] % 720) - 360);
    EXPECT_EQ(toy.spin.y, (r[4] % 720) - 360);
    EXPECT_EQ(toy.spin.z, (r[3] % 720) - 360);
    EXPECT_EQ(cat.action, ONEDOG::kWalk);  // a kick does not change the action
    EXPECT_EQ(dc.stats.toyKicks, 1);

    // A playing cat strikes inside its clip's hit window (kClipSwat: frames 45 to 60), with 4.
    toy.position = VECTOR3D{1.5f, 0.7f, 3.5f};
    toy.velocity = VECTOR3D{};
    cat.toy = &toy;
    cat.action = ONEDOG::kPlay;
    cat.SetAnim(1, false);
    cat.animTime = 45.0f * 33.333332f;  // on the window's edge: not inside
    cat.Move(0.0, &dc);
    EXPECT_EQ(cat.action, ONEDOG::kPlay);
    EXPECT_EQ(toy.velocity.y, 0.0f);

    cat.animTime = 50.0f * 33.333332f;
    std::srand(5);
    for (int& v : r) v = std::rand();
    std::srand(5);
    cat.Move(0.0, &dc);
    EXPECT_EQ(cat.action, ONEDOG::kFinish);
    EXPECT_FLOAT_EQ(toy.velocity.x, (r[2] % 4) - 2 + 0.5f * 4.0f);
    EXPECT_FLOAT_EQ(toy.velocity.y, (r[1] % 4) + 5 + 0.7f * 4.0f);
    EXPECT_FLOAT_EQ(toy.velocity.z, (r[0] % 4) - 2 + 1.5f * 4.0f);
    EXPECT_EQ(toy.spin.x, (r[5] % 720) - 360);
    EXPECT_EQ(dc.stats.toyHits, 1);

    // Out of reach (squared distance 7 or more) the play ends without a hit.
    cat.action = ONEDOG::kPlay;
    cat.SetAnim(1, false);
    toy.position = VECTOR3D{1.0f, 0.7f, 5.0f};
    toy.velocity = VECTOR3D{};
    cat.Move(0.0, &dc);
    EXPECT_EQ(cat.action, ONEDOG::kFinish);
    EXPECT_EQ(toy.velocity.y, 0.0f);
    // The cat keeps the toy until it walks again, then heads for where the toy will be.
    EXPECT_EQ(cat.toy, &toy);
    toy.velocity = VECTOR3D{1.0f, 0.0f, -1.0f};
    cat.SetAction(ONEDOG::kWalk);
    EXPECT_EQ(cat.toy, nullptr);
    EXPECT_FLOAT_EQ(cat.target.x, 3.0f);
    EXPECT_FLOAT_EQ(cat.target.z, 3.0f);
}

TEST_F(CatsTest, CatsPushBackAndSteerAroundEachOther) {
    // There is no toy: the toy tests are skipped and the cats still avoid each other.
    ASSERT_EQ(dc.toys, nullptr);
    ClearOthers(dc, 0);
    ONEDOG& cat = dc.dogs[0];
    ONEDOG& other = dc.dogs[1];
    const float dt = 0.1f;

    // The point ahead comes within 3 of the other cat: pushed back at 3/4 of its speed.
    Walking(cat, VECTOR3D{});
    cat.speed = 2.0f;
    Walking(other, VECTOR3D{0.0f, 0.0f, 3.0f});
    EXPECT_TRUE(cat.CheckCollisions(&dc, dt));
    EXPECT_NEAR(cat.position.z, -dt * 0.75f * 2.0f, 1e-6f);
    EXPECT_EQ(cat.turnRate, 0.5f);
    EXPECT_EQ(cat.lookTarget.z, 100.0f);

    // Within 5: steer to the far side and pick a new target a quarter of a second later.
    Walking(cat, VECTOR3D{});
    cat.turnRate = 0.75f;
    Walking(other, VECTOR3D{1.0f, 0.0f, 5.0f});
    cat.CheckCollisions(&dc, dt);
    EXPECT_EQ(cat.position.z, 0.0f);
    EXPECT_FLOAT_EQ(cat.target.x, -10.0f);
    EXPECT_FLOAT_EQ(cat.target.z, -50.0f);
    EXPECT_EQ(cat.targetTimer, 0.25f);
    EXPECT_EQ(cat.turnRate, 0.5f);
    EXPECT_EQ(cat.lookTarget.z, 100.0f);  // this frame it still turns towards its old target

    // A cat placed this frame is no obstacle.
    Walking(cat, VECTOR3D{});
    other.action = ONEDOG::kPlaced;
    other.position = VECTOR3D{0.0f, 0.0f, 2.0f};
    cat.CheckCollisions(&dc, dt);
    EXPECT_EQ(cat.position.z, 0.0f);
    EXPECT_EQ(cat.target.z, 100.0f);
}
