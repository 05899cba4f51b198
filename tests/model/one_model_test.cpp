#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/one_model.h"
#include "model_fixtures.h"

using namespace model_fixtures;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// One triangle corner as the instance's buffer takes it.
struct Corner {
    float position[3];
    float normal[3];
    float s;
    float t;
    int8_t joint;
};

bool SameVertex(const MODELVERTEX& v, const Corner& c) {
    for (int i = 0; i < 3; ++i)
        if (!(v.position[i] == c.position[i]) || !(v.normal[i] == c.normal[i])) return false;
    return v.s == c.s && v.t == c.t && v.jointIndex == c.joint;
}

// The plain de-duplication: scan the buffer from the start for an equal vertex.
void LinearScan(const std::vector<Corner>& corners, std::vector<MODELVERTEX>* vertices,
                std::vector<uint16_t>* indices) {
    for (const Corner& c : corners) {
        size_t i = 0;
        while (i < vertices->size() && !SameVertex((*vertices)[i], c)) ++i;
        if (i == vertices->size()) {
            MODELVERTEX v{};
            std::memcpy(v.position, c.position, sizeof v.position);
            std::memcpy(v.normal, c.normal, sizeof v.normal);
            v.s = c.s;
            v.t = c.t;
            v.jointIndex = c.joint;
            vertices->push_back(v);
        }
        indices->push_back(uint16_t(i));
    }
}

// The corners in the order the instance visits them: group by group, triangle by triangle.
std::vector<Corner> CornersOf(const MS3D& m) {
    std::vector<Corner> corners;
    for (const MS3DGROUP& g : m.groups)
        for (const uint16_t ti : g.triangleIndices) {
            const MS3DTRIANGLE& tri = m.triangles[ti];
            for (int k = 0; k < 3; ++k) {
                const MS3DVERTEX& v = m.vertices[tri.vertexIndices[k]];
                Corner c;
                std::memcpy(c.position, v.position, sizeof c.position);
                std::memcpy(c.normal, tri.normals[k], sizeof c.normal);
                c.s = tri.s[k];
                c.t = 1.0f - tri.t[k];
                c.joint = v.jointIndex;
                corners.push_back(c);
            }
        }
    return corners;
}

// A model with many repeated corners drawn from few values, signed zeros and a few NaNs.
MS3D RandomModel(uint32_t seed, int triangles, int jointCount) {
    std::mt19937 rng(seed);
    const float values[] = {0.0f, -0.0f, 0.5f, 1.0f, -1.0f, 0.25f};
    const auto pick = [&] { return values[rng() % 6]; };
    MS3D m;
    for (int i = 0; i < 40; ++i) {
        MS3DVERTEX v = Vertex(pick(), pick(), pick(), int8_t(int(rng() % (jointCount + 1)) - 1));
        if (i == 7) v.position[1] = kNaN;
        m.vertices.push_back(v);
    }
    // Few normals and texture coordinates, so that corners repeat.
    const float normals[4][3] = {{1, 0, 0}, {0, 1, 0}, {-0.0f, 1, -0.0f}, {0, 0, -1}};
    const float st[3] = {0.0f, -0.0f, 1.0f};
    for (int i = 0; i < triangles; ++i) {
        MS3DTRIANGLE t;
        for (int k = 0; k < 3; ++k) {
            t.vertexIndices[k] = uint16_t(rng() % m.vertices.size());
            std::memcpy(t.normals[k], normals[rng() % 4], sizeof t.normals[k]);
            t.s[k] = st[rng() % 3];
            t.t[k] = st[rng() % 3];
        }
        if (i % 97 == 0) t.normals[0][2] = kNaN;
        m.triangles.push_back(t);
    }
    m.groups.resize(3);
    for (int i = 0; i < triangles; ++i) m.groups[rng() % 3].triangleIndices.push_back(uint16_t(i));
    for (int g = 0; g < 3; ++g) m.groups[g].materialIndex = int8_t(g % 2);
    m.materials = {Material("a", 0), Material("b", -1)};
    for (int j = 0; j < jointCount; ++j)
        m.joints.push_back(Joint(("j" + std::to_string(j)).c_str(), j ? "j0" : "",
                                 MakePoint(0, 0, 0), MakePoint(0, 0, 0)));
    m.fps = 30.0f;
    SyncMS3DCounts(&m);
    return m;
}

bool SameBytes(const MODELVERTEX& a, const MODELVERTEX& b) {
    return std::memcmp(a.position, b.position, 32) == 0 && a.jointIndex == b.jointIndex;
}

void ExpectBufferEquals(const ONEMODEL& instance, const std::vector<MODELVERTEX>& vertices,
                        const std::vector<uint16_t>& indices) {
    ASSERT_EQ(instance.vertexCount, vertices.size());
    ASSERT_EQ(3u * instance.triangleCount, indices.size());
    for (size_t i = 0; i < vertices.size(); ++i)
        ASSERT_TRUE(SameBytes(instance.vertices[i], vertices[i])) << "vertex " << i;
    for (size_t i = 0; i < indices.size(); ++i) ASSERT_EQ(instance.indices[i], indices[i]) << i;
}

}  // namespace

// Exact matching (signed zeros equal, NaN never) is compared with the linear scan below on
// models full of both; here, the search after the buffer changed in place, as skinning does.
TEST(ModelInstance, AddVertToBufferSearchesTheBufferAsItNowStands) {
    ONEMODEL m;
    const float p[3] = {1, 2, 3}, n[3] = {0, 1, 0}, moved[3] = {9, 2, 3};
    EXPECT_EQ(m.AddVertToBuffer(p, n, 0.5f, 0.25f, 0), 0);
    EXPECT_EQ(m.AddVertToBuffer(p, n, 0.5f, 0.25f, 1), 1);              // another joint
    EXPECT_EQ(reinterpret_cast<const int8_t*>(&m.vertices[1])[34], 1);  // joint after s, t
    m.vertices[0].position[0] = 9.0f;
    BASICJOINT none[2];
    m.UpdatePoints(none);  // no joints in the instance: nothing moves, but the buffer is new
    EXPECT_EQ(m.AddVertToBuffer(moved, n, 0.5f, 0.25f, 0), 0);
    EXPECT_EQ(m.AddVertToBuffer(p, n, 0.5f, 0.25f, 0), 2);
}

TEST(ModelInstance, SetupGivesTheLinearScansVerticesAndIndices) {
    for (const uint32_t seed : {1u, 2u, 3u}) {
        Built b(RandomModel(seed, 7000, 4));  // 21000 corners
        ASSERT_TRUE(b.ok);
        std::vector<MODELVERTEX> vertices;
        std::vector<uint16_t> indices;
        LinearScan(CornersOf(b.model), &vertices, &indices);
        EXPECT_LT(vertices.size(), indices.size() / 2);  // the model does repeat itself
        ExpectBufferEquals(b.instance, vertices, indices);
    }
}

TEST(ModelInstance, SetupFillsGroupsMaterialsAndFlipsT) {
    MS3D model = SampleModel();
    unsigned long texture = 42;
    model.InitialSetup();
    ANIMATIONTEMPLATE animTemplate;
    ASSERT_TRUE(animTemplate.Setup(&model));
    ONEMODEL m;
    m.blendRate = 2.0f;
    m.animTime = 5.0f;
    ASSERT_TRUE(m.Setup(&animTemplate, &model, &texture));
    texture = 7;  // read once, at set-up
    EXPECT_EQ(m.joints[2].parent, 1);
    EXPECT_EQ(m.joints[0].lastRotationKey, -1);
    EXPECT_EQ(m.animTime, 0.0f);
    EXPECT_EQ(m.blendRate, 2.0f);  // kept
    ASSERT_EQ(m.materialCount, 2);
    EXPECT_EQ(m.materials[1].texID, 42u);
    EXPECT_EQ(m.materials[1].mode, -128);
    ASSERT_EQ(m.groupCount, 2);
    EXPECT_EQ(m.groups[1].firstIndex, 6u);
    EXPECT_EQ(m.groups[1].materialIndex, 1);
    // Positions enter joint-local: vertex 0 sits at the origin, its joint half a unit up.
    EXPECT_EQ(m.vertices[m.indices[0]].position[1], -0.5f);
    // Texture names are left to the instance's owner: clear them before the instance goes.
    for (int i = 0; i < m.materialCount; ++i) m.materials[i].texID = 0;
}

TEST(ModelInstance, SetupRefusesModelsBeyondTheInstanceLimits) {
    MS3D model = SampleModel();
    model.InitialSetup();
    ANIMATIONTEMPLATE animTemplate;
    ASSERT_TRUE(animTemplate.Setup(&model));
    const std::vector<std::pair<const char*, std::function<void(MS3D&)>>> cases = {
        {"material index", [](MS3D& m) { m.groups[0].materialIndex = 5; }},
        {"joint index", [](MS3D& m) { m.vertices[0].jointIndex = 3; }},
        {"vertex index", [](MS3D& m) { m.triangles[0].vertexIndices[0] = 99; }},
        {"more than 65535 triangles over all groups",
         [](MS3D& m) {
             m.groups[0].triangleIndices.assign(40000, 0);
             m.groups[1].triangleIndices.assign(30000, 1);
         }},
        {"more distinct vertices than 16-bit indices can name", [](MS3D& m) {
             m.triangles.resize(22000, m.triangles[0]);
             m.groups[0].triangleIndices.clear();
             for (int i = 0; i < 22000; ++i) {
                 for (int k = 0; k < 3; ++k) m.triangles[i].s[k] = float(i) + 0.25f * float(k);
                 m.groups[0].triangleIndices.push_back(uint16_t(i));
             }
         }}};
    unsigned long texture = 0;
    ONEMODEL m;
    for (const auto& c : cases) {
        MS3D bad = SampleModel();
        c.second(bad);
        SyncMS3DCounts(&bad);
        EXPECT_FALSE(m.Setup(&animTemplate, &bad, &texture)) << c.first;
        EXPECT_TRUE(m.vertexCount == 0 && m.vertices == nullptr) << c.first;
    }
    ANIMATIONTEMPLATE incomplete;
    incomplete.jointCount = 3;
    EXPECT_FALSE(m.Setup(&incomplete, &model, &texture));
    EXPECT_TRUE(m.Setup(&animTemplate, &model, &texture));
}

TEST(ModelInstance, CopyMakesAnIndependentInstanceOfTheSameModel) {
    Built b(SampleModel(), 0);
    ASSERT_TRUE(b.ok);
    ONEMODEL& source = b.instance;
    source.materials[0].texID = 31;
    source.joints[1].translation = MakePoint(1, 1, 1);
    source.position = MakePoint(3, 0, 3);
    ONEMODEL copy;
    copy.blendRate = 6.0f;
    ASSERT_TRUE(copy.CopyFrom(source));
    EXPECT_EQ(copy.joints[1].translation.x, 0.0f);  // fresh joints
    EXPECT_EQ(copy.joints[2].parent, 1);
    EXPECT_EQ(copy.position.x, 0.0f);
    EXPECT_EQ(copy.blendRate, 6.0f);
    EXPECT_EQ(copy.materials[0].texID, 31u);
    EXPECT_EQ(copy.groups[1].firstIndex, source.groups[1].firstIndex);
    ASSERT_EQ(copy.vertexCount, source.vertexCount);
    EXPECT_EQ(std::memcmp(copy.vertices, source.vertices, 36u * source.vertexCount), 0);
    EXPECT_EQ(std::memcmp(copy.indices.get(), source.indices.get(), 6u * source.triangleCount), 0);
    // Changing one leaves the other alone.
    copy.vertices[0].position[0] += 1.0f;
    copy.materials[0].texID = 0;
    EXPECT_NE(copy.vertices[0].position[0], source.vertices[0].position[0]);
    EXPECT_EQ(source.materials[0].texID, 31u);
    source.materials[0].texID = 0;
    EXPECT_FALSE(copy.CopyFrom(copy));

    // A copy of an instance that has been posed still starts joint-local.
    source.SetAnimation(0, 60, 1000.0, false, false);
    source.Animate(0.5);
    b.Pose();
    ONEMODEL fromPosed;
    ASSERT_TRUE(fromPosed.CopyFrom(source));
    const Built unposed(SampleModel());
    ASSERT_EQ(fromPosed.vertexCount, unposed.instance.vertexCount);
    EXPECT_NE(std::memcmp(source.vertices, unposed.instance.vertices, 36u * source.vertexCount), 0);
    EXPECT_EQ(std::memcmp(fromPosed.vertices, unposed.instance.vertices, 36u * source.vertexCount),
              0);

    ONEMODEL empty;
    EXPECT_FALSE(empty.CopyFrom(ONEMODEL()));  // nothing set up to copy
    copy.Cleanup();
    copy.Cleanup();
    EXPECT_EQ(copy.vertices, nullptr);
}
