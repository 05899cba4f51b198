#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "model_fixtures.h"

using namespace model_fixtures;

TEST(ModelInstance, SetupFillsTheBufferGroupsAndMaterials) {
    MS3D model = SampleModel();
    model.groups[1].triangleIndices = {2, 0};  // triangle 0 again: its corners are shared
    SyncMS3DCounts(&model);
    Built b(model, 42);
    ASSERT_TRUE(b.ok);
    ONEMODEL& m = b.instance;
    const std::vector<uint16_t> indices(m.indices.get(), m.indices.get() + 3 * m.triangleCount);
    EXPECT_EQ(indices, (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 1, 2}));
    EXPECT_EQ(m.vertexCount, 9);
    EXPECT_EQ(m.vertices[2].t, 0.0f);          // stored flipped
    EXPECT_EQ(m.vertices[5].normal[0], 1.0f);  // a vertex on no joint keeps its normal
    // Positions enter joint-local: vertex 0 sits at the origin, its joint half a unit up.
    EXPECT_EQ(m.vertices[0].position[1], -0.5f);
    ASSERT_EQ(m.materialCount, 2);
    EXPECT_EQ(m.materials[1].texID, 42u);
    ASSERT_EQ(m.groupCount, 2);
    EXPECT_EQ(m.groups[1].firstIndex, 6u);
    EXPECT_EQ(m.groups[1].triangleCount, 2);
    // Texture names are left to the instance's owner: clear them before the instance goes.
    for (int i = 0; i < m.materialCount; ++i) m.materials[i].texID = 0;
}

TEST(ModelInstance, SetupRefusesModelsBeyondTheInstanceLimits) {
    MS3D model = SampleModel();
    model.InitialSetup();
    ANIMATIONTEMPLATE animTemplate;
    ASSERT_TRUE(animTemplate.Setup(&model));
    const std::vector<std::function<void(MS3D&)>> cases = {
        [](MS3D& m) { m.vertices[0].jointIndex = 3; },
        [](MS3D& m) {  // more than 65535 triangles over all groups
            m.groups[0].triangleIndices.assign(40000, 0);
            m.groups[1].triangleIndices.assign(30000, 1);
        },
        [](MS3D& m) {  // more distinct vertices than 16-bit indices can name
            m.triangles.resize(22000, m.triangles[0]);
            m.groups[0].triangleIndices.clear();
            for (int i = 0; i < 22000; ++i) {
                for (int k = 0; k < 3; ++k) m.triangles[i].s[k] = float(i) + 0.25f * float(k);
                m.groups[0].triangleIndices.push_back(uint16_t(i));
            }
        }};
    unsigned long texture = 0;
    ONEMODEL m;
    for (size_t i = 0; i < cases.size(); ++i) {
        MS3D bad = SampleModel();
        cases[i](bad);
        SyncMS3DCounts(&bad);
        EXPECT_FALSE(m.Setup(&animTemplate, &bad, &texture)) << i;
        EXPECT_TRUE(m.vertexCount == 0 && m.vertices == nullptr) << i;
    }
    // A template from a model whose skeleton was never built is incomplete.
    MS3D raw = SampleModel();
    ANIMATIONTEMPLATE incomplete;
    EXPECT_FALSE(incomplete.Setup(&raw));
    EXPECT_FALSE(m.Setup(&incomplete, &model, &texture));
    EXPECT_TRUE(m.Setup(&animTemplate, &model, &texture));
}

TEST(ModelInstance, CopyMakesAnIndependentJointLocalInstanceOfTheSameModel) {
    Built b(SampleModel(), 31);
    ASSERT_TRUE(b.ok);
    ONEMODEL& source = b.instance;
    const Built unposed(SampleModel());
    source.SetAnimation(0, 60, 1000.0, false, false);
    source.Animate(0.5);
    b.Pose();
    ONEMODEL copy;
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(copy.joints[1].translation.x, 0.0f);  // fresh joints
    EXPECT_EQ(copy.materials[0].texID, 31u);
    // The copy starts joint-local although its source has been posed.
    const size_t bytes = 36u * source.vertexCount;
    ASSERT_EQ(copy.vertexCount, unposed.instance.vertexCount);
    EXPECT_NE(std::memcmp(source.vertices, unposed.instance.vertices, bytes), 0);
    EXPECT_EQ(std::memcmp(copy.vertices, unposed.instance.vertices, bytes), 0);
    copy.vertices[0].position[0] += 1.0f;  // changing one leaves the other alone
    EXPECT_NE(copy.vertices[0].position[0], source.vertices[0].position[0]);
    source.materials[0].texID = source.materials[1].texID = 0;
    copy.materials[0].texID = copy.materials[1].texID = 0;
    copy.Cleanup();
    EXPECT_TRUE(copy.vertices == nullptr && copy.groups == nullptr && copy.materials == nullptr);
}
