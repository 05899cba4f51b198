#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
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
const MATRIX kIdentity;

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

// A launched toy flies up and away from the cat by `k` times its offset from the cat, give or
// take the throw's random part (-2 to 1 across, 5 to 8 upwards), spinning by under a turn.
void ExpectLaunched(const ONETOY& toy, VECTOR3D offset, float k) {
    const float v[3] = {toy.velocity.x, toy.velocity.y, toy.velocity.z};
    const float lo[3] = {k * offset.x - 2.0f, k * offset.y + 5.0f, k * offset.z - 2.0f};
    const float spin[3] = {toy.spin.x, toy.spin.y, toy.spin.z};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(v[i] >= lo[i] && v[i] <= lo[i] + 3.0f) << "axis " << i << ": " << v[i];
        EXPECT_TRUE(spin[i] >= -360.0f && spin[i] < 360.0f) << spin[i];
    }
}

class CatsTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        std::srand(17);
        ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
    }
    void TearDown() override {
        dc.Cleanup();
        SceneTest::TearDown();
    }
    // Moves every cat but the first far out of the way; returns the first.
    ONEDOG& OnlyCat() {
        for (int i = 1; i < dc.numDogs; ++i) Walking(dc.dogs[i], VECTOR3D{500.0f * i, 0, 500});
        Walking(dc.dogs[0], VECTOR3D{});
        return dc.dogs[0];
    }
    // Creates the toy at `p`, lying still.
    ONETOY& ToyAt(VECTOR3D p) {
        if (!dc.toys) {
            dc.toys = new ONETOY[1];
            dc.toys[0].Setup(Packs().c_str(), 0, &dc);
        }
        dc.toys[0].position = p;
        dc.toys[0].velocity = dc.toys[0].spin = VECTOR3D{};
        return dc.toys[0];
    }

    SETTINGS settings = TestSettings(3);
    DOGCONTROL dc;
};

}  // namespace

TEST_F(SceneTest, CatsAreCopiesWearingDifferentCoats) {
    for (int seed = 0; seed < 12; ++seed) {
        SETTINGS s = TestSettings(2);
        DOGCONTROL dc;
        std::srand(seed);
        ASSERT_TRUE(SetUpPopulation(dc, s, Packs()));
        const ONEDOG& model = *dc.dogTemplate[0].model;
        EXPECT_EQ(model.materials[0].texID, 0u);  // the template never wears a coat
        EXPECT_NE(dc.dogs[0].texIndex, dc.dogs[1].texIndex);
        for (const ONEDOG* cat : {&dc.dogs[0], &dc.dogs[1]}) {
            EXPECT_TRUE(cat->action == ONEDOG::kUnplaced && cat->jointCount == 68);
            EXPECT_NE(cat->vertices, model.vertices);
            ASSERT_TRUE(cat->texIndex >= 0 && cat->texIndex <= 2) << cat->texIndex;
            // Only the coats worn are loaded, and each cat wears its own.
            EXPECT_NE(dc.dogTextures[cat->texIndex].texID, 0u);
            EXPECT_EQ(cat->materials[0].texID, dc.dogTextures[cat->texIndex].texID);
        }
        dc.Cleanup();
    }
    // A picture slot the scene pack lacks has no texture.
    DOGCONTROL dc;
    Texture pictures[2];
    pictures[1].texID = 6;
    dc.sceneTextures = pictures;
    dc.numSceneTextures = 2;
    EXPECT_TRUE(dc.SceneTexture(1) == 6 && dc.SceneTexture(2) == 0 && dc.SceneTexture(-1) == 0);
}

TEST_F(CatsTest, CatsEnterFromOutsideTheGroundAndWalkOntoIt) {
    const float bx = dc.bounds.x, bz = dc.bounds.z, e = 1e-4f;
    ASSERT_GT(bx, 10.0f);
    for (int n = 0; n < 200; ++n) {
        ONEDOG& cat = dc.dogs[n % 3];
        cat.action = ONEDOG::kUnplaced;
        cat.Reset(&dc);
        const float ax = std::fabs(cat.position.x), az = std::fabs(cat.position.z);
        const bool acrossZ = az >= bz + 3.0f - e && az <= bz + 7.0f + e && ax <= bx + e;
        const bool acrossX = ax >= bx + 3.0f - e && ax <= bx + 7.0f + e && az <= bz + e;
        EXPECT_TRUE(cat.action == ONEDOG::kPlaced && (acrossZ || acrossX)) << ax << ", " << az;
    }
    for (int i = 0; i < 3; ++i) dc.dogs[i].action = ONEDOG::kUnplaced;
    for (int frame = 0; frame < 35 * 40; ++frame) dc.Move(kFrame, Packs().c_str());
    for (int i = 0; i < 3; ++i) {
        // On the ground (chasing the toy or avoiding a cat may take it a little beyond).
        const VECTOR3D p = dc.dogs[i].position;
        EXPECT_GT(dc.dogs[i].action, 0);
        EXPECT_TRUE(std::fabs(p.x) < bx + 3.0f && std::fabs(p.z) < bz + 3.0f && p.y == 0.0f) << i;
    }
}

TEST_F(CatsTest, IdleChainsRunThroughTheirClipsInPlaceAndEndInWalking) {
    ONEDOG& cat = OnlyCat();
    cat.targetSpeed = 0.0f;
    cat.action = ONEDOG::kIdle;
    cat.SetAnim(6, true);
    std::vector<int> clips{6};
    for (int frames = 0; cat.action == ONEDOG::kIdle && frames < 35 * 120; ++frames) {
        cat.Move(kFrame, &dc);
        if (cat.clip != clips.back()) clips.push_back(cat.clip);
        ASSERT_TRUE(cat.position.x == 0.0f && cat.position.z == 0.0f);
    }
    EXPECT_EQ(cat.action, ONEDOG::kWalk);
    ASSERT_GE(clips.size(), 4u);
    EXPECT_TRUE(clips[1] == 7 && clips[2] == 8) << clips[1] << " " << clips[2];
    const int walk = clips[3];
    EXPECT_TRUE(walk == 15 || walk == 4 || walk == 16 || walk == 38 || walk == 59) << walk;
    EXPECT_GT(cat.targetSpeed, 0.0f);

    // Playing without a toy is idling.
    cat.toy = nullptr;
    cat.SetAction(ONEDOG::kPlay);
    EXPECT_TRUE(cat.action == ONEDOG::kIdle && cat.targetSpeed == 0.0f);
    EXPECT_NE(std::find(idleClips, idleClips + kIdleClipCount, cat.clip),
              idleClips + kIdleClipCount);
}

TEST_F(CatsTest, WalkingSmoothsSpeedTurnsTheShortWayAndPicksTargetsOnTheGround) {
    ONEDOG& cat = OnlyCat();
    cat.action = ONEDOG::kFinish;
    cat.SetAnim(5, false);
    cat.speed = 1.0f;
    cat.targetSpeed = 8.0f;
    cat.Move(kFrame, &dc);
    EXPECT_NEAR(cat.speed, 1.2f, 1e-5f);

    cat.angles.y = 170.0f;
    const double a = -170.0 * 3.141592653589793 / 180.0;
    cat.lookTarget = VECTOR3D{float(10.0 * std::sin(a)), 0.0f, float(10.0 * std::cos(a))};
    cat.TurnToTarget(1.0f, 0.5);
    EXPECT_NEAR(cat.angles.y, -180.0f, 0.2f);
    EXPECT_NEAR(cat.heading.z, -1.0f, 1e-3f);

    // A cat at its target picks a new one on the ground.
    Walking(cat, VECTOR3D{});
    cat.SetAction(ONEDOG::kWalk);
    for (int i = 0; i < 20 && cat.action == ONEDOG::kWalk; ++i) {
        cat.Move(kFrame, &dc);
        EXPECT_LE(std::fabs(cat.target.x), 0.9f * dc.bounds.x + 1e-4f);
        EXPECT_LE(std::fabs(cat.target.z), 0.9f * dc.bounds.z + 1e-4f);
    }
}

TEST_F(CatsTest, TheToyIsKickedWhenTouchedAndPlayedWithNearbyWhenNoOtherCatHoldsIt) {
    ONEDOG& cat = OnlyCat();
    ONETOY& toy = ToyAt(VECTOR3D{0.0f, 0.0f, 2.0f});  // squared distance 4: near, not touching
    for (ONEDOG* holder : {&dc.dogs[1], static_cast<ONEDOG*>(nullptr)}) {
        dc.dogs[1].toy = holder ? &toy : nullptr;
        for (int i = 0; i < 300 && cat.action == ONEDOG::kWalk; ++i) {
            Walking(cat, VECTOR3D{});
            cat.CheckCollisions(&dc, float(kFrame));
        }
        EXPECT_EQ(cat.action, holder ? ONEDOG::kWalk : ONEDOG::kPlay);
        EXPECT_EQ(cat.toy, holder ? nullptr : &toy);
    }
    EXPECT_NE(std::find(toyClips, toyClips + kToyClipCount, cat.clip), toyClips + kToyClipCount);
    EXPECT_EQ(toy.velocity.x, 0.0f);  // near is not touching: no kick

    // Touching it (squared distance 1.38), a walking cat kicks it with 5, and keeps walking.
    const VECTOR3D at{1.0f, 0.0f, 2.0f};
    for (int seed = 0; seed < 8; ++seed) {
        std::srand(seed);
        Walking(cat, at);
        ToyAt(VECTOR3D{1.5f, 0.7f, 2.8f});
        cat.CheckCollisions(&dc, float(kFrame));
        ExpectLaunched(toy, VECTOR3D{0.5f, 0.7f, 0.8f}, 5.0f);
        EXPECT_EQ(cat.action, ONEDOG::kWalk);
    }
    EXPECT_EQ(dc.stats.toyKicks, 8);

    // A playing cat strikes with 4 inside its clip's hit window (clip 1: frames 45 to 60), not
    // on its edge, and not when the toy is out of reach (squared distance 7 or more).
    const struct {
        float frame, toyZ;
    } strikes[] = {{45, 3.5f}, {50, 5.0f}, {50, 3.5f}, {47, 3.5f}, {55, 3.5f}, {59, 3.5f}};
    int hits = 0;
    for (const auto& s : strikes) {
        const bool inReach = s.toyZ < 4.0f, hit = inReach && s.frame > 45.0f;
        Walking(cat, at);
        cat.toy = &ToyAt(VECTOR3D{1.5f, 0.7f, s.toyZ});
        cat.action = ONEDOG::kPlay;
        cat.SetAnim(1, false);
        cat.animTime = s.frame * 33.333332f;
        cat.Move(0.0, &dc);
        EXPECT_TRUE(cat.lookTarget.x > at.x && cat.lookTarget.z > at.z);  // it faces the toy
        EXPECT_EQ(cat.action, inReach && !hit ? ONEDOG::kPlay : ONEDOG::kFinish);
        if (hit) {
            ExpectLaunched(toy, VECTOR3D{0.5f, 0.7f, s.toyZ - at.z}, 4.0f);
        } else {
            EXPECT_EQ(toy.velocity.y, 0.0f) << "frame " << s.frame;
        }
        EXPECT_EQ(dc.stats.toyHits, hits += hit);
    }
    // The cat keeps the toy until it walks again, then heads for where the toy will be.
    EXPECT_EQ(cat.toy, &toy);
    toy.velocity = VECTOR3D{1.0f, 0.0f, -1.0f};
    cat.SetAction(ONEDOG::kWalk);
    EXPECT_EQ(cat.toy, nullptr);
    ExpectVector(cat.target, 3.5f, 0.7f, 1.5f, 1e-5f);
}

TEST_F(CatsTest, CatsPushBackAndSteerAroundEachOther) {
    ASSERT_EQ(dc.toys, nullptr);  // without a toy the cats still avoid each other
    ONEDOG& cat = OnlyCat();
    ONEDOG& other = dc.dogs[1];
    // The point ahead comes within 3 of the other cat: pushed back at 3/4 of its speed.
    cat.speed = 2.0f;
    Walking(other, VECTOR3D{0.0f, 0.0f, 3.0f});
    EXPECT_TRUE(cat.CheckCollisions(&dc, 0.1f));
    ExpectVector(cat.position, 0.0f, 0.0f, -0.1f * 0.75f * 2.0f, 1e-6f);
    EXPECT_TRUE(cat.turnRate == 0.5f && cat.lookTarget.z == 100.0f);

    // Within 5: steer to the far side and pick a new target a quarter of a second later; this
    // frame it still turns towards its old target.
    Walking(cat, VECTOR3D{});
    cat.turnRate = 0.75f;
    Walking(other, VECTOR3D{1.0f, 0.0f, 5.0f});
    cat.CheckCollisions(&dc, 0.1f);
    EXPECT_EQ(cat.position.z, 0.0f);
    ExpectVector(cat.target, -10.0f, 0.0f, -50.0f, 1e-5f);
    EXPECT_TRUE(cat.targetTimer == 0.25f && cat.turnRate == 0.5f && cat.lookTarget.z == 100.0f);

    // A cat placed this frame is no obstacle.
    Walking(cat, VECTOR3D{});
    other.action = ONEDOG::kPlaced;
    other.position = VECTOR3D{0.0f, 0.0f, 2.0f};
    cat.CheckCollisions(&dc, 0.1f);
    EXPECT_TRUE(cat.position.z == 0.0f && cat.target.z == 100.0f);
}

TEST_F(SceneTest, TheFootprintRingFadesTheOldestPrintsAndReusesSlots) {
    for (const int cats : {3, 0, 2}) {
        const int configured = cats == 3 ? 10 : 0;
        SETTINGS settings = TestSettings(cats, configured);
        DOGCONTROL dc;
        ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
        // Five prints a cat on top of those configured (at least one).
        const int size = std::max(1, configured) + 5 * cats;
        ASSERT_EQ(dc.numFootprints, size);
        for (int n = 0; n < 30; ++n) {
            ASSERT_TRUE(dc.nextFade >= 0 && dc.nextFade < size);
            dc.AddFootPrint(VECTOR3D{float(n), 0.0f, 0.0f}, kIdentity);
            if (cats != 3) continue;
            FOOTPRINT* f = dc.footprints;
            if (n == 9) {  // unwritten slots are negative, and the sixteenth is nudged first
                EXPECT_TRUE(f[0].life == 1.0f && f[15].life == -1.0f - 1.0f / 60.0f);
            } else if (n == 10) {  // print number 10 starts the fading of print 0
                EXPECT_NEAR(f[0].life, 1.0f - 1.0f / 60.0f, 1e-6f);
                EXPECT_EQ(f[1].life, 1.0f);
            } else if (n == 25) {  // print number 25 overwrites slot 0, a square of 0.7
                EXPECT_EQ(f[0].life, 1.0f);
                for (int c = 0; c < 4; ++c) {
                    ExpectVector(f[0].corners[c], c == 0 || c == 3 ? 24.65f : 25.35f, 0.0f,
                                 c < 2 ? 0.35f : -0.35f, 1e-5f);
                }
            }
        }
        dc.Cleanup();
    }
}

TEST_F(SceneTest, PrintsFadeWithinASecondOnceNudgedAndAreDrawnBlended) {
    SETTINGS settings = TestSettings(1, 1);
    DOGCONTROL dc;
    ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
    dc.AddFootPrint(VECTOR3D{}, kIdentity);
    for (int i = 0; i < 50; ++i) dc.DrawFootPrints(0.1);
    EXPECT_EQ(dc.footprints[0].life, 1.0f);  // full strength does not fade
    for (int n = 0; n < 5; ++n) dc.AddFootPrint(VECTOR3D{100.0f, 0.0f, 0.0f}, kIdentity);
    for (int i = 0; i < 9; ++i) dc.DrawFootPrints(0.1);
    EXPECT_TRUE(dc.footprints[0].life > 0.0f && dc.footprints[0].life < 1.0f);
    dc.DrawFootPrints(0.1);
    EXPECT_LE(dc.footprints[0].life, 0.0f);

    // Seen from above, a fresh print darkens a white floor by its alpha of 0.2, and the GL state
    // is restored.
    dc.AddFootPrint(VECTOR3D{}, kIdentity);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -2.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glEnable(GL_CULL_FACE);
    dc.DrawFootPrints(0.0);
    gl.Finish();
    const auto pixels = gl.ReadPixels();
    EXPECT_NEAR(PixelAt(pixels, kWidth, kWidth / 2, kHeight / 2).r, 204, 3);
    EXPECT_EQ(PixelAt(pixels, kWidth, 2, 2).r, 255);
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(!glIsEnabled(GL_BLEND) && glIsEnabled(GL_CULL_FACE) && depthWrites == GL_TRUE);
    EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 1.0f && colour[2] == 1.0f && colour[3] == 1.0f);
    dc.Cleanup();
}

TEST_F(SceneTest, CatsLayOnePrintPerTouchDownInEveryAction) {
    SETTINGS settings = TestSettings(1, 1000);
    DOGCONTROL dc;
    std::srand(4);
    ASSERT_TRUE(SetUpPopulation(dc, settings, Packs()));
    ONEDOG& cat = dc.dogs[0];
    cat.Reset(&dc);
    int64_t touchDowns = 0, idleTouchDowns = 0;
    for (int frame = 0; frame < 35 * 60; ++frame) {
        std::vector<int> before(cat.footDown, cat.footDown + 4);
        const int64_t laid = dc.stats.footprintsLaid;
        const bool idle = cat.action == ONEDOG::kIdle;
        cat.Move(kFrame, &dc);
        int downs = 0;
        for (int i = 0; i < 4; ++i) {
            downs += before[i] <= 0 && cat.footDown[i] == 1;
            // A paw is down exactly when it is below 0.175.
            ASSERT_EQ(cat.footDown[i] == 1, cat.footPos[i].y < 0.175f) << "frame " << frame;
        }
        ASSERT_EQ(dc.stats.footprintsLaid - laid, downs) << "frame " << frame;
        touchDowns += downs;
        idleTouchDowns += idle ? downs : 0;
    }
    EXPECT_GT(touchDowns, 100);
    EXPECT_GT(idleTouchDowns, 0);
    dc.Cleanup();
}
