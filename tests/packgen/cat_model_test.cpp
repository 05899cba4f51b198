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

// The extent of a set of bind-pose vertices (model space at the default scale).
struct Extent {
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    void Add(const float* p) {
        for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
    }
    float Size(int k) const { return hi[k] - lo[k]; }
};

bool StartsWith(const char* name, const char* prefix) {
    return std::string(name).rfind(prefix, 0) == 0;
}

bool OnTheHead(const char* joint) {
    for (const char* part : {"head", "jaw", "tongue", "eye", "nose", "whisker", "cheek", "chin"})
        if (StartsWith(joint, part)) return true;
    return false;
}

TEST_F(GeneratedCat, SizeFacingAndTheProportionsOfADomesticCat) {
    const MS3D& m = cat->bind;  // model space, scaled by 0.25
    auto pawAt = [&](int foot) {
        return MatrixPointMultiply(cat->model.skeleton[dogFeet[0][foot]].absolute, VECTOR3D{});
    };
    const float frontPawZ = pawAt(0).z, hindPawZ = pawAt(2).z;
    Extent all, body, tail, head;
    float shoulder = 0.0f;
    for (const MS3DVERTEX& v : m.vertices) {
        const char* joint = m.joints[v.jointIndex].name;
        all.Add(v.position);
        if (StartsWith(joint, "tail")) {
            tail.Add(v.position);
            continue;
        }
        body.Add(v.position);
        if (OnTheHead(joint)) head.Add(v.position);
        if (std::fabs(v.position[2] - frontPawZ) < 0.1f && std::fabs(v.position[0]) < 0.1f)
            shoulder = std::max(shoulder, v.position[1]);
    }
    // Paws on the ground, the nose foremost (towards -z) at head height, the hind paws behind.
    EXPECT_NEAR(all.lo[1], 0.0f, 0.02f);
    EXPECT_EQ(all.lo[2], head.lo[2]);
    EXPECT_GT(hindPawZ, 0.0f);
    EXPECT_NEAR(shoulder, 1.2f, 0.15f);

    // Head and body (nose to rump) against the height at the shoulder, and the tail.
    const float length = body.Size(2);
    EXPECT_GE(length / shoulder, 1.8f);
    EXPECT_LE(length / shoulder, 2.0f);
    const float tailLength = tail.hi[2] - body.hi[2] + 0.1f;  // its root lies inside the rump
    EXPECT_GE(tailLength / length, 0.55f);
    EXPECT_LE(tailLength / length, 0.7f);
    // A head about a fifth of the length, nearly as wide as long, carried a little above the
    // back.
    EXPECT_GE(head.Size(2) / length, 0.17f);
    EXPECT_LE(head.Size(2) / length, 0.23f);
    EXPECT_GE(head.Size(0) / head.Size(2), 0.8f);
    EXPECT_LE(head.Size(0) / head.Size(2), 1.0f);
    EXPECT_GT(head.hi[1], shoulder);
    EXPECT_LT(head.hi[1], shoulder * 1.3f);
    // From above, the chest and the haunches are about a quarter of the length wide.
    for (float z : {frontPawZ, hindPawZ}) {
        Extent slice;
        for (const MS3DVERTEX& v : m.vertices)
            if (std::fabs(v.position[2] - z) < 0.05f * length &&
                !StartsWith(m.joints[v.jointIndex].name, "tail"))
                slice.Add(v.position);
        EXPECT_GE(slice.Size(0) / length, 0.22f) << "at z " << z;
        EXPECT_LE(slice.Size(0) / length, 0.28f) << "at z " << z;
    }
}

}  // namespace
