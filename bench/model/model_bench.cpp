// Set-up and per-frame skinning cost of a model of the cat's scale: about 3,000 distinct vertices
// (17,000 triangle corners) on 70 joints with keys on every joint.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/ms3d_writer.h"
#include "model/one_model.h"

namespace {

constexpr int kSide = 55;  // 55 x 55 grid points: 3,025 distinct vertices
constexpr int kJoints = 70;

void Name(char* field, const std::string& name) {
    std::memset(field, 0, kMS3DNameSize);
    std::strncpy(field, name.c_str(), kMS3DNameSize - 1);
}

// A bumpy sheet with one normal and texture coordinate per grid point, skinned to a binary tree
// of joints, every joint keyed over two seconds.
MS3D SheetModel() {
    MS3D m;
    for (int row = 0; row < kSide; ++row)
        for (int col = 0; col < kSide; ++col) {
            MS3DVERTEX v;
            v.position[0] = float(col) * 0.1f;
            v.position[1] = std::sin(float(row) * 0.3f) * 0.2f;
            v.position[2] = float(row) * 0.1f;
            v.jointIndex = int8_t((row * kSide + col) * kJoints / (kSide * kSide));
            m.vertices.push_back(v);
        }
    MS3DGROUP body, head;
    for (int row = 0; row + 1 < kSide; ++row)
        for (int col = 0; col + 1 < kSide; ++col) {
            const int a = row * kSide + col, b = a + 1, c = a + kSide, d = c + 1;
            for (const auto& corners : {std::vector<int>{a, b, c}, std::vector<int>{b, d, c}}) {
                MS3DTRIANGLE t;
                for (int k = 0; k < 3; ++k) {
                    const int v = corners[k];
                    t.vertexIndices[k] = uint16_t(v);
                    t.normals[k][1] = 1.0f;
                    t.normals[k][0] = m.vertices[v].position[1];
                    t.s[k] = float(v % kSide) / kSide;
                    t.t[k] = float(v / kSide) / kSide;
                }
                (row < kSide / 2 ? body : head)
                    .triangleIndices.push_back(uint16_t(m.triangles.size()));
                m.triangles.push_back(t);
            }
        }
    body.materialIndex = 0;
    head.materialIndex = 0;
    m.groups = {body, head};
    MS3DMATERIAL fur;
    fur.transparency = 1.0f;
    m.materials = {fur};
    for (int j = 0; j < kJoints; ++j) {
        MS3DJOINT joint;
        Name(joint.name, "joint" + std::to_string(j));
        if (j > 0) Name(joint.parentName, "joint" + std::to_string((j - 1) / 2));
        joint.position[2] = j ? 0.1f : 0.0f;
        joint.rotation[1] = 0.01f * float(j);
        for (int k = 0; k <= 4; ++k)
            joint.rotationKeys.push_back(
                {0.5f * float(k), 0.1f * float(k % 2), 0.05f * float(k), 0});
        joint.translationKeys = {{0.0f, 0, 0, 0}, {2.0f, 0.0f, 0.05f, 0}};
        m.joints.push_back(joint);
    }
    SyncMS3DCounts(&m);
    m.fps = 30.0f;
    m.totalFrames = 60;
    m.totalTime = 2000.0f;
    return m;
}

struct Prepared {
    MS3D model = SheetModel();
    ANIMATIONTEMPLATE animTemplate;
    Prepared() {
        model.InitialSetup();
        animTemplate.Setup(&model);
    }
};

Prepared& Shared() {
    static Prepared prepared;
    return prepared;
}

void BM_InstanceSetup(benchmark::State& state) {
    Prepared& p = Shared();
    unsigned long texture = 0;
    for (auto _ : state) {
        ONEMODEL instance;
        if (!instance.Setup(&p.animTemplate, &p.model, &texture))
            state.SkipWithError("set-up failed");
        benchmark::DoNotOptimize(instance.vertices);
        state.counters["vertices"] = instance.vertexCount;
    }
    state.counters["corners"] = 3.0 * p.model.triangleCount;
}
BENCHMARK(BM_InstanceSetup)->Unit(benchmark::kMillisecond);

// The copy that makes every further cat from the set-up instance.
void BM_InstanceCopy(benchmark::State& state) {
    Prepared& p = Shared();
    unsigned long texture = 0;
    ONEMODEL source;
    source.Setup(&p.animTemplate, &p.model, &texture);
    for (auto _ : state) {
        ONEMODEL copy;
        if (!copy.CopyFrom(source)) state.SkipWithError("copy failed");
        benchmark::DoNotOptimize(copy.vertices);
    }
}
BENCHMARK(BM_InstanceCopy)->Unit(benchmark::kMicrosecond);

// One frame of one cat: take the vertices back, advance the clip, rebuild the joints, pose.
void BM_SkinningFrame(benchmark::State& state) {
    Prepared& p = Shared();
    unsigned long texture = 0;
    ONEMODEL instance;
    instance.Setup(&p.animTemplate, &p.model, &texture);
    instance.SetAnimation(0, 60, 1000.0, true, false);
    for (auto _ : state) {
        instance.RevertPoints(instance.joints.get());
        instance.Animate(1.0 / 35.0);
        instance.UpdateSkeleton();
        instance.UpdatePoints(instance.joints.get());
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = instance.vertexCount;
}
BENCHMARK(BM_SkinningFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
