#include <gtest/gtest.h>

#include <cmath>

#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model_fixtures.h"

using namespace model_fixtures;

namespace {

constexpr float kHalfPi = 1.5707964f;

void ExpectNear(VECTOR3D a, VECTOR3D b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

VECTOR3D Point(const float* p) {
    return MakePoint(p[0], p[1], p[2]);
}

void ExpectMatrixNear(const MATRIX& a, const MATRIX& b, double tolerance) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

}  // namespace

TEST(Skeleton, ModelWithoutJointsIsLeftAsLoaded) {
    MS3D m = SampleModel();
    m.joints.clear();
    for (MS3DVERTEX& v : m.vertices) v.jointIndex = -1;
    SyncMS3DCounts(&m);
    const std::vector<uint8_t> before = Bytes(m);
    m.InitialSetup();
    EXPECT_TRUE(m.skeleton.empty());
    EXPECT_EQ(Bytes(m), before);
}

TEST(Skeleton, ParentsAreResolvedByNameAndRotationsConvertedToDegrees) {
    MS3D m;
    m.joints = {Joint("hip", "", MakePoint(0, kHalfPi, 0), MakePoint(0, 0, 0)),
                Joint("leg", "nobody", MakePoint(0, 0, 0), MakePoint(0, 0, 0)),
                Joint("hip", "hip", MakePoint(0, 0, 0), MakePoint(0, 0, 0)),
                Joint("paw", "hip", MakePoint(0, 0, 0), MakePoint(0, 0, 0)),
                Joint("self", "self", MakePoint(0, 0, 0.3f), MakePoint(1, 2, 3))};
    m.joints[3].flags = 6;
    m.fps = 30.0f;
    SyncMS3DCounts(&m);
    m.InitialSetup();
    ASSERT_EQ(m.skeleton.size(), 5u);
    EXPECT_EQ(m.skeleton[0].rotation.y, float(kHalfPi * 57.29577951308232));
    EXPECT_NEAR(m.skeleton[0].rotation.y, 90.0f, 1e-4f);
    EXPECT_EQ(m.joints[0].rotation[1], m.skeleton[0].rotation.y);  // converted in place
    EXPECT_EQ(m.skeleton[0].parent, -1);
    EXPECT_EQ(m.skeleton[1].parent, -1);  // names no joint
    EXPECT_EQ(m.skeleton[2].parent, 0);   // two joints named "hip": the first
    EXPECT_EQ(m.skeleton[3].parent, 0);
    EXPECT_EQ(m.skeleton[3].flags, 6);
    // A joint naming itself is a root: as its own parent it would compound its own pose.
    EXPECT_EQ(m.skeleton[4].parent, -1);
    ExpectMatrixNear(m.skeleton[4].absolute, m.skeleton[4].relative, 0.0);
    EXPECT_EQ(m.skeleton[4].absolute.m[13], 2.0);
}

TEST(Skeleton, EveryRevertedVertexAndNormalReturnsUnderItsJointsAbsolute) {
    MS3D m = SampleModel();
    m.Scale(1.5f);
    const MS3D original = m;
    m.InitialSetup();
    ASSERT_EQ(m.skeleton.size(), 3u);
    int moved = 0;
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        const int j = m.vertices[i].jointIndex;
        const VECTOR3D stored = Point(m.vertices[i].position);
        const VECTOR3D was = Point(original.vertices[i].position);
        if (j < 0) {
            EXPECT_EQ(stored.x, was.x);
            continue;
        }
        if (std::fabs(stored.x - was.x) + std::fabs(stored.y - was.y) > 1e-3f) ++moved;
        const MATRIX& a = m.skeleton[j].absolute;
        ExpectNear(MatrixTranslatePoint(a, MatrixRotatePoint(a, stored)), was, 1e-5f);
    }
    EXPECT_GE(moved, 3);  // the joints do move the vertices into their own frames
    for (size_t t = 0; t < m.triangles.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const int j = m.vertices[m.triangles[t].vertexIndices[k]].jointIndex;
            const VECTOR3D was = Point(original.triangles[t].normals[k]);
            const VECTOR3D stored = Point(m.triangles[t].normals[k]);
            ExpectNear(j < 0 ? stored : MatrixRotatePoint(m.skeleton[j].absolute, stored), was,
                       j < 0 ? 0.0f : 1e-6f);
        }
    // Running it again changes nothing.
    const std::vector<uint8_t> once = Bytes(m);
    m.InitialSetup();
    EXPECT_EQ(Bytes(m), once);
}

TEST(AnimationTemplate, KeysInMillisecondsWithPrecomputedQuaternions) {
    MS3D m;
    m.joints = {Joint("root", "", MakePoint(0, 0, 0), MakePoint(1, 2, 3)),
                Joint("tail", "root", MakePoint(0.2f, 0, 0), MakePoint(0, 0, 1))};
    m.joints[0].rotationKeys = {Key(0.5f, 0, 0, kHalfPi), Key(1.0f, 0, 0, 0)};
    m.joints[0].translationKeys = {Key(1.25f, 4, 5, 6)};
    m.joints[1].translationKeys = {Key(0.0f, 1, 1, 1)};
    m.joints[1].flags = 4;
    m.fps = 30.0f;
    m.totalFrames = 120;
    m.totalTime = 4000.0f;
    SyncMS3DCounts(&m);
    m.InitialSetup();
    ANIMATIONTEMPLATE animTemplate;
    ASSERT_TRUE(animTemplate.Setup(&m));
    ASSERT_EQ(animTemplate.jointCount, 2);
    EXPECT_EQ(animTemplate.totalTime, 4000.0f);

    const ANIMJOINT& root = animTemplate.joints[0];
    EXPECT_EQ(root.rotationKeys[0].time, 500.0f);
    EXPECT_EQ(root.rotationKeys[0].z, kHalfPi);  // the angles stay in radians
    ASSERT_EQ(root.keyQuats.size(), 2u);
    EXPECT_NEAR(root.keyQuats[0].z, std::sin(M_PI / 4), 1e-6);
    EXPECT_NEAR(root.keyQuats[0].w, std::cos(M_PI / 4), 1e-6);
    EXPECT_EQ(root.keyQuats[1].w, 1.0);
    EXPECT_EQ(root.translationKeys[0].time, 1250.0f);
    EXPECT_EQ(root.bindQuat.w, 1.0);
    MATRIX expected;
    expected.SetTranslation(MakePoint(1, 2, 3));
    ExpectMatrixNear(root.bindMatrix, expected, 0.0);

    const ANIMJOINT& tail = animTemplate.joints[1];
    EXPECT_EQ(tail.parent, 0);
    EXPECT_TRUE(tail.keyQuats.empty());
    EXPECT_NEAR(tail.rotation.x, 0.2f * 57.2957795f, 1e-5f);
    ExpectMatrixNear(tail.absolute, m.skeleton[1].absolute, 0.0);
    ExpectMatrixNear(tail.bindMatrix, m.skeleton[1].relative, 1e-12);
    // The file keys stay in seconds: only the template's copies changed.
    EXPECT_EQ(m.joints[0].rotationKeys[0].time, 0.5f);

    MS3D none;
    none.fps = 30.0f;
    ANIMATIONTEMPLATE empty;
    EXPECT_TRUE(empty.Setup(&none));
    EXPECT_TRUE(empty.joints.empty());

    // A model whose skeleton was never built cannot feed a template.
    MS3D raw = SampleModel();
    ANIMATIONTEMPLATE incomplete;
    EXPECT_FALSE(incomplete.Setup(&raw));
    EXPECT_FALSE(incomplete.Complete());
}
