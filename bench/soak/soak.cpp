// velmora-soak: the scene left running for a simulated day (or any length) at 35 frames a second
// with three cats, checked as it goes. Every frame runs the whole simulation; the scene is drawn
// only every K-th frame, so that a day passes in well under an hour.
//
// Every frame: all positions, angles and rope masses finite; cats within 28 body lengths of the
// ground's edge, the toy within two ground sizes of it, the footprint ring's cursors in range. At
// each checkpoint: every vertex finite, each cat's mesh within 1e-3 model units of a fresh copy
// posed with the same joints, and resident memory at most 8 MB above its size after the first
// simulated minute (room for what the driver makes the first time a new kind of drawing appears,
// such as the overlay after two minutes; a leak of 70 bytes a frame fails the one-hour run).
//
// Why 28 body lengths: a cat that has played with the toy chases the place the toy will be in two
// seconds, and a cat that avoids another heads for a point ten times their distance away; both
// may lie off the ground, and a cat steering towards a point close beside it can circle it until
// its ten-second timer picks a new target. Runs of several simulated hours see cats up to about 24
// body lengths (of 3.7 units, tail included; about 90 units) out before they come back; one that
// never came back would fail. A kicked toy may
// fly a ground's width past the edge before it is thrown back (it is, once out of view for 5 to 14
// seconds); one that kept going would fail.
//
// Exit status 0 when everything held, 1 otherwise, 2 for a bad command line.
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "assets/background_pictures.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "host/gl_state.h"
#include "host/memory_store.h"
#include "host/settings.h"
#include "platform/headless_gl.h"
#include "platform/install_paths.h"
#include "platform/stb_image_decoder.h"
#include "scene/ssmain.h"
#include "soak_checks.h"

namespace {

constexpr double kFramesPerSecond = 35.0;
constexpr long kFirstMinute = 60 * 35;

struct SoakOptions {
    double hours = 24.0;
    int width = 64;
    int height = 48;
    unsigned seed = 1;
    long drawEvery = 35;
    double checkpointMinutes = 60.0;
    // The allocator's own reuse moves resident memory by whole megabytes: one hour grew by 3 to
    // 5 MB and then stayed flat for three more. A leak of a few bytes a frame passes an hour
    // under this slack but not a day (126,000 frames an hour).
    long rssSlackKb = 8192;
    float catMarginBodies = 28.0f;
    std::string resources;
};

const char kUsage[] =
    "Usage: velmora-soak [--hours H] [--size WxH] [--seed N] [--draw-every K]\n"
    "                    [--checkpoint-minutes M] [--rss-slack-kb N] [--cat-margin BODIES]\n"
    "                    [--resources DIR]\n"
    "Runs the scene with three cats for H simulated hours (default 24) at 35 frames a second,\n"
    "drawing every K-th frame (default 35) at WxH (default 64x48), and checks it as it goes.\n";

bool ParseNumber(const char* text, double low, double high, double& out) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= low && value <= high)) return false;
    out = value;
    return true;
}

bool ParseOptions(int argc, char** argv, SoakOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        double number = 0.0;
        if (!value) return false;
        ++i;
        if (arg == "--hours" && ParseNumber(value, 1.0 / 60.0, 24.0 * 365.0, number)) {
            o.hours = number;
        } else if (arg == "--size" && std::sscanf(value, "%dx%d", &o.width, &o.height) == 2 &&
                   o.width > 0 && o.height > 0 && o.width <= 4096 && o.height <= 4096) {
        } else if (arg == "--seed" && ParseNumber(value, 0, UINT_MAX, number)) {
            o.seed = static_cast<unsigned>(number);
        } else if (arg == "--draw-every" && ParseNumber(value, 1, 1e9, number)) {
            o.drawEvery = static_cast<long>(number);
        } else if (arg == "--checkpoint-minutes" && ParseNumber(value, 1, 1e9, number)) {
            o.checkpointMinutes = number;
        } else if (arg == "--rss-slack-kb" && ParseNumber(value, 0, 1e9, number)) {
            o.rssSlackKb = static_cast<long>(number);
        } else if (arg == "--cat-margin" && ParseNumber(value, 0, 1e6, number)) {
            o.catMarginBodies = static_cast<float>(number);
        } else if (arg == "--resources") {
            o.resources = value;
        } else {
            return false;
        }
    }
    return true;
}

std::string SimulatedTime(long frame) {
    const long seconds = static_cast<long>(static_cast<double>(frame) / kFramesPerSecond);
    char text[32];
    std::snprintf(text, sizeof(text), "%ldh%02ldm", seconds / 3600, seconds / 60 % 60);
    return text;
}

class Soak {
  public:
    explicit Soak(const SoakOptions& o) : o_(o) { limits_.catMarginBodies = o.catMarginBodies; }

    int Run() {
        if (!gl_.Create(o_.width, o_.height)) {
            std::fprintf(stderr, "velmora-soak: no OpenGL context: %s\n", gl_.Error().c_str());
            return 1;
        }
        SetImageDecoder(&decoder_);
        InitialiseViewGL(o_.width, o_.height);
        std::string resources = o_.resources.empty() ? DefaultResourceFolder() : o_.resources;
        if (resources.back() != '/') resources += '/';
        settings_ = SettingsForOneRun({{"NumDogs", "3"}});  // the defaults with three cats
        std::srand(o_.seed);
        if (!scene_.Setup(false, o_.width, o_.height, &settings_, resources.c_str())) {
            std::fprintf(stderr, "velmora-soak: the scene cannot be set up from %s\n",
                         resources.c_str());
            return 1;
        }
        Texture ground;
        if (loadPicFile((resources + "fallback.jpg").c_str(), &ground)) {
            scene_.groundTexture = ground.texID;
            ground.texID = 0;  // the scene owns it now
        }
        const int result = Loop();
        scene_.Cleanup();
        SetImageDecoder(nullptr);
        return result;
    }

  private:
    int Loop() {
        const long frames = std::lround(o_.hours * 3600.0 * kFramesPerSecond);
        const long checkpointEvery =
            std::max(1L, std::lround(o_.checkpointMinutes * 60.0 * kFramesPerSecond));
        const double dt = 1.0 / kFramesPerSecond;
        start_ = Clock::now();
        for (long frame = 1; frame <= frames; ++frame) {
            Step(frame, dt);
            if (!scene_.dogControl) {
                std::fprintf(stderr, "velmora-soak: the scene lost its cats at frame %ld\n", frame);
                return 1;
            }
            DOGCONTROL& dc = *scene_.dogControl;
            if (frame == kFirstMinute) FirstMinute(dc);
            if (bodyLength_ > 0.0f) {
                std::vector<std::string> found;
                CheckFrame(dc, bodyLength_, limits_, found);
                Note(found, frame);
                toyExcursion_ = std::max(toyExcursion_, ToyExcursion(dc));
                catExcursion_ = std::max(catExcursion_, CatExcursion(dc, bodyLength_));
            }
            if (frame % checkpointEvery == 0 || frame == frames) Checkpoint(dc, frame);
            framesRun_ = frame;
            if (problems_.size() > 20) break;  // enough to go on
        }
        return Report();
    }

    // Keeps the first occurrence of each kind of problem (the text before " at "), with its
    // simulated time: a cat that wanders off is reported once, not in every frame.
    void Note(const std::vector<std::string>& found, long frame) {
        for (const std::string& problem : found) {
            const std::string kind = problem.substr(0, problem.find(" at "));
            if (!seen_.insert(kind).second) continue;
            problems_.push_back(SimulatedTime(frame) + " (frame " + std::to_string(frame) +
                                "): " + problem);
        }
    }

    // One frame. A drawn frame is the view's own: Update, then the scene's Draw, which also moves
    // everything. An undrawn frame makes the same moves in the same order without sending
    // anything to OpenGL but the matrices the moves read (drawing costs most of a frame, even
    // into a tiny picture).
    void Step(long frame, double dt) {
        scene_.Update(dt);
        if (frame % o_.drawEvery == 0 || !scene_.catsReady) {
            scene_.Draw();
            gl_.Finish();
        } else {
            Simulate(*scene_.dogControl);
        }
    }

    void Simulate(DOGCONTROL& dc) {
        const double dt = scene_.frameTime;
        glLoadIdentity();
        scene_.ReshapeAndZoom(1.0f);
        dc.GetBounds();
        dc.camera.Move(&dc, dt);
        dc.frustum.ExtractFrustumFaster();
        dc.Move(dt, scene_.resourcePath);
        // The fading that drawing the footprints does: prints below full strength lose dt.
        for (int i = 0; dc.footprints && i < dc.numFootprints; ++i) {
            FOOTPRINT& print = dc.footprints[i];
            if (print.life > 0.0f && print.life < 1.0f) {
                print.life = static_cast<float>(print.life - dt);
            }
        }
    }

    void FirstMinute(DOGCONTROL& dc) {
        baselineKb_ = ResidentKilobytes();
        for (int i = 0; dc.dogs && i < dc.numDogs; ++i) {
            if (dc.dogs[i].action > 0) bodyLength_ = std::max(bodyLength_, BodyLength(dc.dogs[i]));
        }
        if (bodyLength_ <= 0.0f) problems_.push_back("no cat was placed in the first minute");
        std::printf("after 1 minute: rss %ld kB, cat body length %.3f, ground %.2f x %.2f\n",
                    baselineKb_, double(bodyLength_), double(2 * dc.bounds.x),
                    double(2 * dc.bounds.z));
    }

    void Checkpoint(DOGCONTROL& dc, long frame) {
        const float drift = CheckMeshes(dc, limits_, problems_);
        worstDrift_ = std::max(worstDrift_, drift);
        const long rss = ResidentKilobytes();
        if (baselineKb_ > 0 && rss > baselineKb_ + o_.rssSlackKb) {
            char line[160];
            std::snprintf(line, sizeof(line), "resident memory grew from %ld kB to %ld kB by %s",
                          baselineKb_, rss, SimulatedTime(frame).c_str());
            problems_.push_back(line);
        }
        const SCENESTATS& s = dc.stats;
        std::printf(
            "%s: frame %ld, rss %ld kB (%+ld), mesh drift %.3g, excursions: cats %.3g toy %.3g, "
            "placed %lld, "
            "footprints %lld, kicks %lld, hits %lld, throws %lld, ring %d/%d, wall %.1f s, "
            "problems %zu\n",
            SimulatedTime(frame).c_str(), frame, rss, baselineKb_ > 0 ? rss - baselineKb_ : 0,
            double(drift), double(catExcursion_), double(toyExcursion_),
            static_cast<long long>(s.catsPlaced), static_cast<long long>(s.footprintsLaid),
            static_cast<long long>(s.toyKicks), static_cast<long long>(s.toyHits),
            static_cast<long long>(s.toyThrows), dc.nextFootprint, dc.numFootprints, WallSeconds(),
            problems_.size());
        std::fflush(stdout);
    }

    int Report() {
        std::printf(
            "frames %ld (%s simulated), wall %.1f s, peak rss %ld kB, worst mesh drift %.3g, "
            "largest excursions: cats %.3g body lengths, toy %.3g ground sizes\n",
            framesRun_, SimulatedTime(framesRun_).c_str(), WallSeconds(), PeakResidentKilobytes(),
            double(worstDrift_), double(catExcursion_), double(toyExcursion_));
        for (const std::string& p : problems_) std::printf("problem: %s\n", p.c_str());
        std::printf(problems_.empty() ? "soak passed\n" : "soak FAILED\n");
        return problems_.empty() ? 0 : 1;
    }

    using Clock = std::chrono::steady_clock;
    double WallSeconds() const {
        return std::chrono::duration<double>(Clock::now() - start_).count();
    }

    const SoakOptions o_;
    SoakLimits limits_;
    HeadlessGL gl_;
    StbImageDecoder decoder_;
    SETTINGS settings_;
    SSMAIN scene_;
    Clock::time_point start_;
    long baselineKb_ = 0;
    float bodyLength_ = 0.0f;
    float worstDrift_ = 0.0f;
    float toyExcursion_ = 0.0f;
    float catExcursion_ = 0.0f;
    long framesRun_ = 0;
    std::set<std::string> seen_;
    std::vector<std::string> problems_;
};

}  // namespace

int main(int argc, char** argv) {
    SoakOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Soak soak(options);
    return soak.Run();
}
