// The posing loop computes what the matrix functions compute, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "math/matrix.h"
#include "model/one_model.h"

namespace {

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Skinning, PosedBufferMatchesTheMatrixFunctionsBitForBit) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> element(-3.0, 3.0);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);

    ONEMODEL model;
    model.jointCount = 5;
    model.joints = std::make_unique<BASICJOINT[]>(5);
    // General matrices, not only rotations: every element and the translation take part.
    for (int j = 0; j < 5; ++j) {
        for (double& e : model.joints[j].absolute.m) e = element(random);
    }
    struct Source {
        float position[3];
        float normal[3];
        int joint;
    };
    std::vector<Source> sources;
    for (int i = 0; i < 2000; ++i) {
        Source s;
        for (float& c : s.position) c = coordinate(random);
        for (float& c : s.normal) c = coordinate(random) / 50.0f;
        // Joints -1 and 5 lie outside the skeleton: such vertices stay as they are.
        s.joint = int(random() % 7) - 1;
        ASSERT_EQ(model.AddVertToBuffer(s.position, s.normal, 0.0f, 0.0f, char(s.joint)), i);
        sources.push_back(s);
    }

    model.UpdatePoints(model.joints.get());

    int moved = 0;
    for (size_t i = 0; i < sources.size(); ++i) {
        const Source& s = sources[i];
        const MODELVERTEX& v = model.vertices[i];
        VECTOR3D p{s.position[0], s.position[1], s.position[2]};
        VECTOR3D n{s.normal[0], s.normal[1], s.normal[2]};
        if (s.joint >= 0 && s.joint < 5) {
            const MATRIX& a = model.joints[s.joint].absolute;
            p = MatrixTranslatePoint(a, MatrixRotatePoint(a, p));
            n = MatrixRotatePoint(a, n);
            ++moved;
        }
        const float expected[6] = {p.x, p.y, p.z, n.x, n.y, n.z};
        const float actual[6] = {v.position[0], v.position[1], v.position[2],
                                 v.normal[0],   v.normal[1],   v.normal[2]};
        for (int k = 0; k < 6; ++k) {
            ASSERT_TRUE(SameBits(actual[k], expected[k]))
                << "vertex " << i << " component " << k << ": " << actual[k] << " vs "
                << expected[k];
        }
    }
    EXPECT_GT(moved, 1000);
    EXPECT_LT(moved, 2000);
}

}  // namespace
