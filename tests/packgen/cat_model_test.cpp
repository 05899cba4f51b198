// The cat model as the cats load it: its skeleton, timeline, mesh, size and facing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "tests/packgen/generated_art.h"

using generated_art::LoadedCat;

namespace {

using GeneratedCat = generated_art::CatTest;

TEST_F(GeneratedCat, SkeletonHasTheFootJointsAndParentsFirst) {
    const MS3D& m = cat->bind;
    ASSERT_GE(m.jointCount, 68);
    for (int j = 0; j < m.jointCount; ++j) {
        const int parent = m.ParentOf(j);
        EXPECT_LT(parent, j) << "joint " << j << " comes before its parent";
        if (j > 0) {
            EXPECT_GE(parent, 0) << "joint " << j << " is a second root";
        }
    }
    // The footprint joints are the paws: low in the bind pose, one under each corner of the cat.
    std::set<std::pair<bool, bool>> corners;
    for (int foot = 0; foot < 4; ++foot) {
        const int j = dogFeet[0][foot];
        const MATRIX& abs = cat->model.skeleton[j].absolute;
        const VECTOR3D p = MatrixPointMultiply(abs, VECTOR3D{});
        EXPECT_LT(p.y, 0.175) << "paw joint " << j << " is above the footprint height";
        EXPECT_NE(std::string(m.joints[j].name).find("paw"), std::string::npos);
        corners.insert({p.x > 0, p.z > 0});
    }
    EXPECT_EQ(corners.size(), 4u);
}

TEST_F(GeneratedCat, TimelineRunsAtThirtyFramesASecondOverEveryClip) {
    EXPECT_FLOAT_EQ(cat->bind.fps, float(kDogAnimFps));
    EXPECT_GE(cat->bind.totalFrames, kDogAnimLastFrame);
    // Every joint is keyed up to the last frame that a clip uses.
    const float last = float(kDogAnimLastFrame) / kDogAnimFps;
    for (const MS3DJOINT& j : cat->bind.joints) {
        ASSERT_GT(j.rotationKeyCount, 0) << j.name;
        EXPECT_GE(j.rotationKeys.back().time, last - 1e-3f) << j.name;
    }
}

TEST_F(GeneratedCat, MeshIsRigidlySkinnedAndOfModestSize) {
    const MS3D& m = cat->bind;
    EXPECT_GE(m.triangleCount, 1500);
    EXPECT_LE(m.triangleCount, 4000);
    for (const MS3DVERTEX& v : m.vertices)
        ASSERT_TRUE(v.jointIndex >= 0 && v.jointIndex < m.jointCount) << "a vertex on no joint";
    ASSERT_EQ(m.groupCount, 1);
    EXPECT_GE(m.groups[0].materialIndex, 0);
    for (const MS3DTRIANGLE& t : m.triangles)
        for (int k = 0; k < 3; ++k)
            ASSERT_TRUE(t.s[k] >= 0 && t.s[k] <= 1 && t.t[k] >= 0 && t.t[k] <= 1)
                << "texture coordinates outside the skin";
}

TEST_F(GeneratedCat, SizeAndFacingAtTheDefaultScale) {
    const MS3D& m = cat->bind;  // model space, scaled by 0.25
    float minY = 1e9f, maxY = -1e9f;
    const MS3DVERTEX* front = &m.vertices[0];
    for (const MS3DVERTEX& v : m.vertices) {
        minY = std::min(minY, v.position[1]);
        maxY = std::max(maxY, v.position[1]);
        if (v.position[2] < front->position[2]) front = &v;
    }
    // Paws on the ground.
    EXPECT_NEAR(minY, 0.0f, 0.02f);
    // The foremost point is the nose, at head height, towards -z.
    EXPECT_LT(front->position[2], 0.0f);
    EXPECT_GT(front->position[1], 1.2f);
    // Nose to rump: the body without the tail ends where the hind legs' haunches end.
    float rump = -1e9f, shoulder = 0.0f;
    const float hindPawZ =
        MatrixPointMultiply(cat->model.skeleton[dogFeet[0][2]].absolute, VECTOR3D{}).z;
    const float frontPawZ =
        MatrixPointMultiply(cat->model.skeleton[dogFeet[0][0]].absolute, VECTOR3D{}).z;
    for (int i = 0; i < m.vertexCount; ++i) {
        const MS3DVERTEX& v = m.vertices[i];
        const std::string joint = m.joints[v.jointIndex].name;
        if (joint.rfind("tail", 0) != 0) rump = std::max(rump, v.position[2]);
        if (std::fabs(v.position[2] - frontPawZ) < 0.1f && std::fabs(v.position[0]) < 0.1f)
            shoulder = std::max(shoulder, v.position[1]);
    }
    EXPECT_GT(hindPawZ, 0.0f);
    const float length = rump - front->position[2];
    EXPECT_GE(length, 3.0f);
    EXPECT_LE(length, 3.5f);
    EXPECT_NEAR(shoulder, 1.2f, 0.15f);
}

}  // namespace
