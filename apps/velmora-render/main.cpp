// velmora-render: the scene without a display, for tests, pictures and measurements.
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "assets/background_pictures.h"
#include "assets/texture.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "host/gl_state.h"
#include "host/memory_store.h"
#include "host/settings.h"
#include "platform/headless_gl.h"
#include "platform/image_encoder.h"
#include "platform/install_paths.h"
#include "platform/stb_image_decoder.h"
#include "render_options.h"
#include "scene/ssmain.h"
#include "timing.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

uint32_t LoadGround(const std::string& resources) {
    const std::string path = resources + "fallback.jpg";
    Texture picture;
    std::string reason;
    if (!LoadPictureFile(path.c_str(), &picture, reason)) {
        std::fprintf(stderr, "velmora-render: cannot read the ground picture %s: %s\n", path.c_str(),
                     reason.c_str());
        return 0;
    }
    const uint32_t name = picture.texID;
    picture.texID = 0;  // the scene owns it from now on
    return name;
}

bool WriteFrame(const HeadlessGL& gl, const std::string& dir, long frame) {
    char name[64];
    std::snprintf(name, sizeof(name), "/frame-%06ld.png", frame);
    const std::string path = dir + name;
    std::vector<uint8_t> pixels = gl.ReadPixels();
    // A screen shows no alpha: where nothing was drawn the clear colour's alpha of 0 would make
    // the picture transparent instead of black.
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    const std::vector<uint8_t> png = EncodePng(pixels.data(), gl.Width(), gl.Height(), 4);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    if (png.empty() || !out.flush()) {
        std::fprintf(stderr, "velmora-render: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

void PrintLine(const char* what, const std::vector<double>& samples) {
    const TimingSummary s = Summarise(samples);
    std::printf("%s ms: min %.3f median %.3f max %.3f\n", what, s.min, s.median, s.max);
}

// A cat was drawn in the frame just finished: cats are drawn once they act (placed cats start
// acting in the frame after their placing).
bool CatsDrawn(const SSMAIN& scene) {
    if (!scene.catsReady || !scene.dogControl || !scene.dogControl->dogs) return false;
    for (int i = 0; i < scene.dogControl->numDogs; ++i) {
        if (scene.dogControl->dogs[i].action > 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Start-up is measured from here: what runs before main is the dynamic loader's.
    const Clock::time_point programStart = Clock::now();
    RenderOptions o;
    std::string error;
    if (!ParseRenderOptions(argc, argv, o, error)) {
        std::fprintf(stderr, "velmora-render: %s\n", error.c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(RenderUsage().c_str(), stdout);
        return 0;
    }
    std::string resources = o.resources.empty() ? DefaultResourceFolder() : o.resources;
    if (resources.back() != '/') resources += '/';

    if (!o.outDir.empty()) {
        std::error_code made;
        std::filesystem::create_directories(o.outDir, made);
        if (made) {
            std::fprintf(stderr, "velmora-render: cannot make the folder %s: %s\n",
                         o.outDir.c_str(), made.message().c_str());
            return 1;
        }
    }

    HeadlessGL gl;
    if (!gl.Create(o.width, o.height)) {
        std::fprintf(stderr, "velmora-render: no OpenGL context: %s\n", gl.Error().c_str());
        return 1;
    }
    StbImageDecoder decoder;
    SetImageDecoder(&decoder);
    InitialiseViewGL(o.width, o.height);

    SETTINGS settings = SettingsForOneRun(o.settings);
    std::srand(o.seedGiven ? o.seed : static_cast<unsigned>(std::time(nullptr)));

    SSMAIN scene;
    scene.Setup(o.preview, o.width, o.height, &settings, resources.c_str());
    scene.groundTexture = LoadGround(resources);

    std::vector<double> updateMs, drawMs, frameMs;
    long firstCatFrame = 0;
    double firstCatMs = 0.0;
    bool written = true;
    Clock::time_point last = Clock::now();
    for (long frame = 1; frame <= o.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        const double dt = o.fixedStep ? o.dt : std::chrono::duration<double>(start - last).count();
        last = start;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene.Update(dt);
        const Clock::time_point updated = Clock::now();
        scene.Draw();
        gl.Finish();
        const Clock::time_point drawn = Clock::now();
        updateMs.push_back(Milliseconds(updated - start));
        drawMs.push_back(Milliseconds(drawn - updated));
        frameMs.push_back(Milliseconds(drawn - start));
        if (firstCatFrame == 0 && CatsDrawn(scene)) {
            firstCatFrame = frame;
            firstCatMs = Milliseconds(drawn - programStart);
        }
        if (!o.outDir.empty() && frame % o.every == 0)
            written = WriteFrame(gl, o.outDir, frame) && written;
    }

    if (o.stats) {
        SCENESTATS stats;
        long shots = 0;
        if (scene.dogControl) {
            stats = scene.dogControl->stats;
            shots = scene.dogControl->camera.shotsEntered;
        }
        std::printf("cats placed: %lld\n", static_cast<long long>(stats.catsPlaced));
        std::printf("footprints laid: %lld\n", static_cast<long long>(stats.footprintsLaid));
        std::printf("toy kicks: %lld\n", static_cast<long long>(stats.toyKicks));
        std::printf("toy hits: %lld\n", static_cast<long long>(stats.toyHits));
        std::printf("toy throws: %lld\n", static_cast<long long>(stats.toyThrows));
        std::printf("camera shots entered: %ld\n", shots);
        std::printf("frames drawn: %zu\n", frameMs.size());
        PrintLine("update", updateMs);
        PrintLine("draw", drawMs);
        PrintLine("frame", frameMs);
        if (firstCatFrame > 0) {
            std::printf("first frame with cats: frame %ld, %.1f ms after start\n", firstCatFrame,
                        firstCatMs);
        } else {
            std::printf("first frame with cats: none\n");
        }
    }
    scene.Cleanup();
    SetImageDecoder(nullptr);
    return written ? 0 : 1;
}
