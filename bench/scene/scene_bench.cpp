// The cost of one frame of the scene: simulated only (every cat, the toy with its rope, the
// footprint ring), and drawn at 1920 x 1080 in the headless context.
//
// Uses the shipped packs when VELMORA_RESOURCE_DIR holds them, else the test packs.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

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
        // A minute of scene: every cat placed and walking, prints on the ground.
        RunFrames(scene, 35 * 60, kFrame);
        ready = scene.catsReady;
    }
    ~Scene() {
        scene.Cleanup();
        SetImageDecoder(nullptr);
    }
};

void BM_SimulatedFrame(benchmark::State& state) {
    Scene s(320, 240);
    if (!s.ready) return state.SkipWithError("the scene could not be set up");
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
    if (!s.ready) return state.SkipWithError("the scene could not be set up");
    for (auto _ : state) {
        s.scene.Update(kFrame);
        s.scene.Draw();
        s.gl.Finish();
    }
}
BENCHMARK(BM_DrawnFrame1080p)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
