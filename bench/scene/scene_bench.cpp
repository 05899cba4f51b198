// The cost of one frame of the scene: simulated only (every cat, the toy with its rope, the
// footprint ring), and drawn at 1920 x 1080 in the headless context: as it comes, in the overview
// repaired where it changed, and whole in a tilted orbit (the camera moving every frame). CPU
// time is the process's, llvmpipe's drawing threads included.
//
// Uses the shipped packs when VELMORA_RESOURCE_DIR holds them, else the test packs.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "assets/background_pictures.h"
#include "assets/pack_layout.h"
#include "assets/texture.h"
#include "cats/dog_control.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"
#include "scene/ssmain.h"
#include "scene_fixture.h"

namespace {

constexpr double kFrame = 1.0 / 35.0;

std::string Resources() {
    const std::string shipped = std::string(VELMORA_RESOURCE_DIR) + "/";
    if (std::ifstream(shipped + pack_layout::kCatPack).good()) return shipped;
    return WriteTestPacks();
}

struct Scene {
    HeadlessGL gl;
    StbImageDecoder decoder;
    SETTINGS settings = TestSettings(3, 1000);
    SSMAIN scene;
    bool ready = false;

    Scene(int width, int height) {
        if (!gl.Create(width, height)) return;
        SetImageDecoder(&decoder);
        InitialiseViewGL(width, height);
        const std::string folder = Resources();
        std::srand(7);
        if (!scene.Setup(false, width, height, &settings, folder.c_str())) return;
        Texture ground;
        if (loadPicFile((folder + pack_layout::kFallbackPicture).c_str(), &ground)) {
            scene.groundTexture = ground.texID;
            ground.texID = 0;
        }
        ready = true;
    }
    // Scene time before measuring: every cat placed and walking, prints on the ground.
    bool Warm(int seconds = 60) {
        if (ready) RunFrames(scene, 35 * seconds, kFrame);
        gl.Finish();
        return ready && scene.catsReady;
    }
    ~Scene() {
        scene.Cleanup();
        SetImageDecoder(nullptr);
    }
};

void BM_SimulatedFrame(benchmark::State& state) {
    Scene s(320, 240);
    if (!s.Warm()) return state.SkipWithError("the scene could not be set up");
    DOGCONTROL* dc = s.scene.dogControl;
    for (auto _ : state) {
        dc->Move(kFrame, s.scene.resourcePath);
        benchmark::ClobberMemory();
    }
    state.counters["cats"] = dc->numDogs;
}
BENCHMARK(BM_SimulatedFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DrawnFrame1080p(benchmark::State& state) {
    Scene s(1920, 1080);
    if (!s.Warm()) return state.SkipWithError("the scene could not be set up");
    for (auto _ : state) {
        s.scene.Update(kFrame);
        s.scene.Draw();
        s.gl.Finish();
    }
}
BENCHMARK(BM_DrawnFrame1080p)->Unit(benchmark::kMillisecond)->UseRealTime();

// Holds the camera in one shot from now on: the overview, or an orbit tilted by 50 degrees.
void HoldShot(CAMERA& camera, bool orbit) {
    camera.modeTimer = 1e9f;
    camera.blend = camera.blendTarget = 2.0f;
    camera.centre = camera.centreTarget = VECTOR3D{0.0f, 0.0f, 0.0f};
    camera.eye = camera.eyeTarget = VECTOR3D{0.0f, 40.0f, 0.0f};
    if (!orbit) {
        camera.mode = CAMERA::kOverview;
        camera.up = camera.upTarget = VECTOR3D{0.0f, 0.0f, -1.0f};
        return;
    }
    camera.mode = CAMERA::kOrbit;
    Rotate(&camera.eyeTarget, 50.0f, 0.0f, 0.0f);
    camera.eye = camera.eyeTarget;
    camera.up = camera.upTarget = VECTOR3D{0.0f, 1.0f, 0.0f};
    camera.spin = VECTOR3D{0.0f, 15.0f, 0.0f};
}

void BM_ShotFrame1080p(benchmark::State& state) {
    const bool orbit = state.range(0) != 0;
    Scene s(1920, 1080);
    if (!s.ready) return state.SkipWithError("the scene could not be set up");
    // The headless buffer keeps its pixels: over the overview only what changed is redrawn.
    s.scene.backBufferAge = 1;
    s.scene.Update(kFrame);
    s.scene.Draw();
    HoldShot(s.scene.dogControl->camera, orbit);
    if (!s.Warm(orbit ? 15 : 60)) return state.SkipWithError("the scene could not be set up");
    int64_t pixels = 0;
    for (auto _ : state) {
        s.scene.Update(kFrame);
        s.scene.Draw();
        s.gl.Finish();
        std::vector<PixelRect> rects;
        if (!s.scene.damage.Changed(&rects)) rects.assign(1, PixelRect{0, 0, 1920, 1080});
        for (const PixelRect& r : rects) pixels += r.Area();
    }
    state.counters["redrawn"] =
        benchmark::Counter(double(pixels) / (1920.0 * 1080.0), benchmark::Counter::kAvgIterations);
    state.SetLabel(orbit ? "orbit, whole frames" : "overview, repaired");
}
BENCHMARK(BM_ShotFrame1080p)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
