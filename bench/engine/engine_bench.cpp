// The engine's costs with the shipped cat, and how they grow: skinning and simulating 1, 3 and
// 30 cats, the footprint pass over 1,000 and 100,000 prints, and setting the cat up (the model
// alone, and the whole population with its skins).
//
// Needs the shipped packs in the build's resources folder (the build makes them).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "assets/background_pictures.h"
#include "assets/pack_layout.h"
#include "assets/resfile.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "host/gl_state.h"
#include "host/settings.h"
#include "model/animation_template.h"
#include "model/ms3d.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"
#include "scene/ssmain.h"

namespace {

constexpr double kFrame = 1.0 / 35.0;
constexpr int kWidth = 160;
constexpr int kHeight = 120;

std::string Resources() {
    return std::string(VELMORA_RESOURCE_DIR) + "/";
}

bool HavePacks() {
    return std::ifstream(Resources() + pack_layout::kCatPack).good() &&
           std::ifstream(Resources() + pack_layout::kSkinPack).good();
}

// A small headless view with the picture decoder installed.
struct Context {
    HeadlessGL gl;
    StbImageDecoder decoder;
    bool ready = false;
    Context() {
        ready = gl.Create(kWidth, kHeight);
        if (!ready) return;
        SetImageDecoder(&decoder);
        InitialiseViewGL(kWidth, kHeight);
    }
    ~Context() { SetImageDecoder(nullptr); }
};

// A scene of `cats` cats that has run for a minute of frames: every cat placed and acting, the
// toy thrown, prints on the ground.
struct LiveScene {
    Context context;
    SETTINGS settings = DefaultSettings();
    SSMAIN scene;
    bool ready = false;

    LiveScene(int cats, int footprints) {
        if (!context.ready || !HavePacks()) return;
        settings.NUM_DOGS = cats;
        settings.NUM_FOOTPRINTS = footprints;
        std::srand(7);
        if (!scene.Setup(false, kWidth, kHeight, &settings, Resources().c_str())) return;
        for (int i = 0; i < 35 * 60; ++i) {
            scene.Update(kFrame);
            scene.Draw();
        }
        ready = scene.catsReady && scene.dogControl->stats.catsPlaced == cats;
    }
    ~LiveScene() { scene.Cleanup(); }
    DOGCONTROL& Cats() { return *scene.dogControl; }
};

// One frame of the population: every cat's skinning, behaviour and feet, then the toy and rope.
void BM_SimulatedFrame(benchmark::State& state) {
    const int cats = int(state.range(0));
    LiveScene s(cats, 1000);
    if (!s.ready) return state.SkipWithError("the scene could not be set up with the packs");
    DOGCONTROL& dc = s.Cats();
    for (auto _ : state) {
        dc.Move(kFrame, s.scene.resourcePath);
        benchmark::ClobberMemory();
    }
    state.SetComplexityN(cats);
    state.counters["cats"] = cats;
}
BENCHMARK(BM_SimulatedFrame)
    ->Arg(1)
    ->Arg(3)
    ->Arg(30)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// The skinning alone, as every cat does it each frame: take back, advance, rebuild, pose.
void BM_Skinning(benchmark::State& state) {
    const int cats = int(state.range(0));
    LiveScene s(cats, 1000);
    if (!s.ready) return state.SkipWithError("the scene could not be set up with the packs");
    DOGCONTROL& dc = s.Cats();
    for (auto _ : state) {
        for (int i = 0; i < dc.numDogs; ++i) {
            ONEDOG& cat = dc.dogs[i];
            cat.RevertPoints(cat.joints.get());
            cat.Animate(kFrame);
            cat.UpdateSkeleton();
            cat.UpdatePoints(cat.joints.get());
        }
        benchmark::ClobberMemory();
    }
    state.SetComplexityN(cats);
    state.counters["vertices per cat"] = dc.dogs[0].vertexCount;
}
BENCHMARK(BM_Skinning)
    ->Arg(1)
    ->Arg(3)
    ->Arg(30)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// Fading and drawing every print of a full ring (all of them fading, so every one is updated and
// sent), including OpenGL's work on them.
void BM_FootprintPass(benchmark::State& state) {
    const int prints = int(state.range(0));
    LiveScene s(3, prints);
    if (!s.ready) return state.SkipWithError("the scene could not be set up with the packs");
    DOGCONTROL& dc = s.Cats();
    const MATRIX turn = MatrixFromAngle(VECTOR3D{0.0f, 30.0f, 0.0f});
    for (int i = 0; i < dc.numFootprints; ++i) {
        const float x = float(i % 97) / 97.0f * 2.0f * dc.bounds.x - dc.bounds.x;
        const float z = float(i % 89) / 89.0f * 2.0f * dc.bounds.z - dc.bounds.z;
        dc.AddFootPrint(VECTOR3D{x, 0.0f, z}, turn);
    }
    for (int i = 0; i < dc.numFootprints; ++i) dc.footprints[i].life = 0.9f;
    for (auto _ : state) {
        // A tiny step: the prints fade but stay visible through the whole measurement.
        dc.DrawFootPrints(1e-9);
        s.context.gl.Finish();
    }
    state.SetComplexityN(prints);
    state.counters["prints"] = dc.numFootprints;
}
BENCHMARK(BM_FootprintPass)
    ->Arg(1000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// The cat model from its pack to the set-up template cat: read, scale, bind pose, animation
// template, instance (what the population does once before copying its cats).
void BM_CatModelSetup(benchmark::State& state) {
    if (!HavePacks()) return state.SkipWithError("no packs in the resources folder");
    const std::string path = Resources() + pack_layout::kCatPack;
    for (auto _ : state) {
        RESFILE pack;
        if (!pack.Open(path.c_str()) || !pack.SeekLump(0)) return state.SkipWithError("no pack");
        MS3D model;
        if (!model.LoadFromFStream(pack.stream, pack.LumpSize(0)))
            return state.SkipWithError("unreadable model");
        model.Scale(0.25f);
        model.InitialSetup();
        ANIMATIONTEMPLATE animation;
        if (!animation.Setup(&model)) return state.SkipWithError("no animation template");
        auto cat = std::make_unique<ONEDOG>();
        unsigned long noTexture = 0;
        if (!cat->Setup(&animation, &model, &noTexture)) return state.SkipWithError("set-up");
        benchmark::DoNotOptimize(cat->vertices);
        state.counters["vertices"] = cat->vertexCount;
        state.counters["joints"] = cat->jointCount;
    }
}
BENCHMARK(BM_CatModelSetup)->Unit(benchmark::kMillisecond);

// The whole population of three cats: model, copies and their three skins made into textures.
void BM_PopulationSetup(benchmark::State& state) {
    Context context;
    if (!context.ready || !HavePacks()) return state.SkipWithError("no context or no packs");
    SETTINGS settings = DefaultSettings();
    settings.NUM_DOGS = 3;
    const std::string folder = Resources();
    for (auto _ : state) {
        DOGCONTROL dc;
        if (!dc.Setup(&settings, folder.c_str())) return state.SkipWithError("set-up failed");
        dc.Cleanup();
    }
}
BENCHMARK(BM_PopulationSetup)->Unit(benchmark::kMillisecond);

}  // namespace
