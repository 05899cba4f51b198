#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "model_fixtures.h"

using namespace model_fixtures;

namespace {

constexpr float kPi = 3.14159265f;

// Joint a at (0, 1, 0) turns from nothing to half a turn about z over the first second; joint b,
// its child, sits at (1, 0, 0) turned a quarter about y and slides 2 along its own z meanwhile.
// Vertex 0 rides on b, vertex 1 on a, vertex 2 on no joint; one triangle (0, 1, 2) joins them.
MS3D Chain() {
    MS3D m;
    m.joints = {Joint("a", "", MakePoint(0, 0, 0), MakePoint(0, 1, 0)),
                Joint("b", "a", MakePoint(0, kPi / 2, 0), MakePoint(1, 0, 0))};
    m.joints[0].rotationKeys = {Key(0, 0, 0, 0), Key(1, 0, 0, kPi)};
    m.joints[1].translationKeys = {Key(0, 0, 0, 0), Key(1, 0, 0, 2)};
    m.vertices = {Vertex(1, 1, -1, 1), Vertex(1, 1, 0, 0), Vertex(4, 4, 4, -1)};
    m.triangles = {Triangle(0, 1, 2, MakePoint(1, 0, 0))};
    m.groups.resize(1);
    m.groups[0].triangleIndices = {0};
    m.fps = 30.0f;
    m.totalFrames = 60;
    SyncMS3DCounts(&m);
    return m;
}

// One joint with translation keys at 0, 100 and 200 ms (fps 1000: frames are ms), a keyless
// child and one with rotation keys only.
MS3D KeyedJoint() {
    MS3D m;
    m.joints = {Joint("j", "", MakePoint(0, 0, 0), MakePoint(0, 0, 0)),
                Joint("still", "j", MakePoint(0, 0, 0), MakePoint(0, 1, 0)),
                Joint("turn", "j", MakePoint(0, 0, 0), MakePoint(1, 0, 0))};
    m.joints[0].translationKeys = {Key(0, 1, 0, 0), Key(0.1f, 3, 0, 0), Key(0.2f, 7, 4, 0)};
    m.joints[0].rotationKeys = {Key(0, 0, 0, 0), Key(0.2f, 0, 0, 1.0f)};
    m.joints[2].rotationKeys = {Key(0, 0, 0.5f, 0), Key(0.2f, 0, 1.0f, 0)};
    m.fps = 1000.0f;
    m.totalFrames = 300;
    SyncMS3DCounts(&m);
    return m;
}

}  // namespace

TEST(Playback, PosedVerticesFollowTheJointChain) {
    Built in(Chain());
    in.instance.SetAnimation(0, 60, 1000.0, false, false);
    // Worked out by hand: the pose acts first, then the bind transform, then the parent's.
    const struct {
        double dt;
        float posed[3][3];
        float normal[3];  // of vertices 0 and 1, both facing along x in the file
    } frames[] = {{0.5, {{0, 3, -1}, {0, 2, 0}, {4, 4, 4}}, {0, 1, 0}},
                  {1.0, {{-3, 1, -1}, {-1, 1, 0}, {4, 4, 4}}, {-1, 0, 0}}};
    for (const auto& f : frames) {
        in.Frame(f.dt);
        for (int v = 0; v < 3; ++v)
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(in.instance.vertices[v].position[c], f.posed[v][c], 1e-5) << v;
                EXPECT_NEAR(in.instance.vertices[v].normal[c], v < 2 ? f.normal[c] : c == 0, 1e-6)
                    << v;
            }
    }
}

TEST(Playback, ClipTimesAdvanceEndAndLoop) {
    Built in(Chain());
    ONEMODEL& m = in.instance;
    m.SetAnimation(10, 20, 1000.0, false, false);
    m.Animate(0.1);
    EXPECT_EQ(m.animTime, float(m.startTime + 1000.0f * 0.1));
    // Without loop the end is held exactly.
    m.Animate(0.3);
    m.Animate(0.25);
    EXPECT_EQ(m.animTime, m.endTime);
    // With loop the overshoot is dropped and the clip starts again.
    m.SetAnimation(10, 20, 1000.0, true, false);
    m.Animate(0.2);
    m.Animate(0.2);
    EXPECT_EQ(m.animTime, m.startTime);
}

TEST(Playback, KeysAreChosenAndInterpolatedAsTheirTimesSay) {
    Built in(KeyedJoint());
    ONEMODEL& m = in.instance;
    const struct {
        double frame;
        float x, y;
    } translations[] = {{150, 5, 2}, {100, 3, 0}, {0, 1, 0}, {25, 1.5f, 0}, {250, 7, 4}};
    for (const auto& t : translations) {
        m.SetAnimation(t.frame, 300, 1000.0, false, false);
        m.Animate(0.0);
        EXPECT_FLOAT_EQ(m.joints[0].translation.x, t.x) << t.frame;
        EXPECT_FLOAT_EQ(m.joints[0].translation.y, t.y) << t.frame;
    }
    // A quarter of the way from (0, 0, 0) to (0, 0, 1 rad) is a quarter radian about z.
    m.SetAnimation(50, 300, 1000.0, false, false);
    m.Animate(0.0);
    EXPECT_NEAR(m.joints[0].rotationQuat.z, std::sin(0.125), 1e-6);
    // A joint with rotation keys only keeps its translation.
    EXPECT_EQ(m.joints[2].translation.x, 0.0f);
    EXPECT_NEAR(m.joints[2].rotationQuat.y, std::sin(0.3125), 1e-6);
    // The cursor only moves forward: later frames keep interpolating from where it stands.
    m.SetAnimation(0, 300, 1000.0, false, false);
    for (int i = 0; i < 4; ++i) m.Animate(0.05);
    EXPECT_FLOAT_EQ(m.joints[0].translation.x, 7.0f);
}

TEST(Playback, CrossFadesRunFromTheHeldPoseToTheClipStart) {
    Built in(KeyedJoint());
    ONEMODEL& m = in.instance;
    m.SetAnimation(0, 300, 1000.0, false, false);
    m.Animate(0.0);  // holds key 0: translation (1, 0, 0), no rotation
    const QUAT from = m.joints[0].rotationQuat;
    m.SetAnimation(150, 300, 1000.0, false, true);
    EXPECT_TRUE(m.blending);
    // The fade aims at the first keys at or after 150 ms: translation (7, 4, 0) and the
    // rotation of 1 rad about z, both at 200 ms.
    const QUAT target{0, 0, std::sin(0.5), std::cos(0.5)};
    for (const float factor : {0.4f, 0.8f, 1.0f}) {
        m.Animate(0.1);
        EXPECT_FLOAT_EQ(m.blendFactor, factor);
        EXPECT_EQ(m.animTime, 150.0f);
        EXPECT_FLOAT_EQ(m.joints[0].translation.x, 1.0f + 6.0f * factor);
        EXPECT_FLOAT_EQ(m.joints[0].translation.y, 4.0f * factor);
        const QUAT expected = QuatSlerp(&from, &target, factor);
        EXPECT_NEAR(m.joints[0].rotationQuat.z, expected.z, 1e-7);
        EXPECT_NEAR(m.joints[0].rotationQuat.w, expected.w, 1e-7);
    }
    EXPECT_FALSE(m.blending);
    m.Animate(0.1);
    EXPECT_EQ(m.animTime, 250.0f);
    // A clip that starts after the last keys fades to them.
    m.SetAnimation(0, 300, 1000.0, false, false);
    m.Animate(0.0);
    m.SetAnimation(280, 300, 1000.0, false, true);
    m.Animate(1.0);
    EXPECT_TRUE(m.joints[0].translation.x == 7.0f && m.joints[0].translation.y == 4.0f);
}

TEST(Playback, SkinningMovesPositionsByTheJointAndNormalsByItsRotationOnly) {
    ONEMODEL m;
    const float p[3] = {1, 2, 3}, n[3] = {0.6f, 0, 0.8f}, q[3] = {-4, 5, 0.5f};
    m.AddVertToBuffer(p, n, 0, 0, 0);
    m.AddVertToBuffer(q, n, 0, 0, 1);  // names a joint the instance lacks: stays put
    m.jointCount = 1;
    m.joints = std::make_unique<BASICJOINT[]>(2);
    MATRIX a = MatrixFromAngle(MakePoint(30, -50, 70));
    a.SetTranslation(MakePoint(5, 6, 7));
    m.joints[0].absolute = m.joints[1].absolute = a;
    m.UpdatePoints(m.joints.get());
    const VECTOR3D position = MatrixTranslatePoint(a, MatrixRotatePoint(a, MakePoint(1, 2, 3)));
    const VECTOR3D normal = MatrixRotatePoint(a, MakePoint(0.6f, 0, 0.8f));
    const float expected[2][6] = {
        {position.x, position.y, position.z, normal.x, normal.y, normal.z},
        {-4, 5, 0.5f, 0.6f, 0, 0.8f}};
    for (int v = 0; v < 2; ++v)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(m.vertices[v].position[c], expected[v][c]) << v;
            EXPECT_EQ(m.vertices[v].normal[c], expected[v][3 + c]) << v;
        }
}

TEST(Playback, AHeldPoseDoesNotDriftOverManyFrames) {
    // Keys 0.002 rad apart, held between them: interpolating takes the linear blend, whose
    // quaternion is a little shorter than unit length.
    MS3D chain = Chain();
    chain.joints[1].rotationKeys = {Key(0, 0.3f, 0, 0.5f), Key(2, 0.302f, 0, 0.5f)};
    Built in(chain);
    in.instance.SetAnimation(0, 35, 1000.0, false, false);
    in.Frame(5.0);
    float first[3][3];
    for (int v = 0; v < 3; ++v) std::memcpy(first[v], in.instance.vertices[v].position, 12);
    for (int i = 0; i < 100000; ++i) in.Frame(1.0 / 35.0);
    for (int v = 0; v < 3; ++v)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(in.instance.vertices[v].position[c], first[v][c], 1e-3);
}
