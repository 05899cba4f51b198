#include "render_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// Limits that keep a typing slip from asking for a picture or a run nobody could want.
constexpr int kMaxSide = 16384;
constexpr long kMaxFrames = 100000000;

bool ParseLong(const std::string& text, long min, long max, long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < min || value > max) return false;
    out = value;
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    long w = 0, h = 0;
    if (!ParseLong(text.substr(0, x), 1, kMaxSide, w)) return false;
    if (!ParseLong(text.substr(x + 1), 1, kMaxSide, h)) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ParseSeconds(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value <= 0.0 || value > 1.0) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

const std::vector<std::string>& PreferenceKeys() {
    static const std::vector<std::string> keys = {"MainMonitorOnly", "DogSize", "NumDogs",
                                                  "NumFootprints",   "BGType",  "BGRes",
                                                  "BGPath",          "TileBG"};
    return keys;
}

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--preview") {
            o.preview = true;
        } else if (arg == "--stats") {
            o.stats = true;
        } else if (arg == "--resources") {
            if (!value(o.resources)) return false;
            if (o.resources.empty()) return error = "--resources needs a folder", false;
        } else if (arg == "--size") {
            if (!value(v)) return false;
            if (!ParseSize(v, o.width, o.height)) {
                return error = "--size wants WIDTHxHEIGHT, each 1 to 16384, not \"" + v + "\"",
                       false;
            }
        } else if (arg == "--frames") {
            if (!value(v)) return false;
            if (!ParseLong(v, 0, kMaxFrames, o.frames)) {
                return error = "--frames wants a whole number from 0, not \"" + v + "\"", false;
            }
        } else if (arg == "--dt") {
            if (!value(v)) return false;
            if (!ParseSeconds(v, o.dt)) {
                return error = "--dt wants seconds above 0 and at most 1, not \"" + v + "\"", false;
            }
            o.fixedStep = true;
        } else if (arg == "--seed") {
            if (!value(v)) return false;
            long seed = 0;
            if (!ParseLong(v, 0, 4294967295L, seed)) {
                return error = "--seed wants a whole number 0 to 4294967295, not \"" + v + "\"",
                       false;
            }
            o.seed = static_cast<uint32_t>(seed);
            o.seedGiven = true;
        } else if (arg == "--set") {
            if (!value(v)) return false;
            const size_t eq = v.find('=');
            const std::string key = v.substr(0, eq);
            const auto& keys = PreferenceKeys();
            if (eq == std::string::npos || std::find(keys.begin(), keys.end(), key) == keys.end()) {
                return error = "--set wants KEY=VALUE with a preference key, not \"" + v + "\"",
                       false;
            }
            o.settings.emplace_back(key, v.substr(eq + 1));
        } else if (arg == "--out") {
            if (!value(o.outDir)) return false;
            if (o.outDir.empty()) return error = "--out needs a folder", false;
        } else if (arg == "--every") {
            if (!value(v)) return false;
            if (!ParseLong(v, 1, kMaxFrames, o.every)) {
                return error = "--every wants a whole number from 1, not \"" + v + "\"", false;
            }
        } else {
            error = "unknown option \"" + arg + "\" (see --help)";
            return false;
        }
    }
    return true;
}

std::string RenderUsage() {
    return R"(Usage: velmora-render [OPTION]...
Renders the Velmora scene without a display (EGL, software OpenGL) and writes PNG frames.

  --resources DIR   folder with the packs and fallback.jpg
                    (default: share/velmora beside the program's bin/)
  --size WxH        picture size in pixels (default 640x480)
  --frames N        frames to draw (default 100)
  --dt SECONDS      fixed frame time, above 0 and at most 1; without it each frame advances
                    by the real time that has passed
  --seed N          seed of the random generator (default: the wall-clock second), so that
                    one seed reproduces one scene at a fixed --dt
  --preview         run as the settings window's small preview (no overlay)
  --set KEY=VALUE   a preference for this run only, e.g. NumDogs=2, DogSize=150,
                    NumFootprints=200, TileBG=0; keys: MainMonitorOnly, DogSize, NumDogs,
                    NumFootprints, BGType, BGRes, BGPath, TileBG. Repeatable. The stored
                    preferences of the user are neither read nor written.
  --out DIR         write frames as DIR/frame-NNNNNN.png (frames counted from 1; the
                    folder is made if needed)
  --every K         with --out, write every K-th frame only (default 1)
  --stats           print a summary at the end: cats placed, footprints laid, toy kicks and
                    hits, camera shots entered, frames drawn, the time of update, draw
                    and whole frame in milliseconds as min, median and max, and the first
                    frame in which cats were drawn with its time since the program started
  --help            this text

The ground shows fallback.jpg of the resources folder. A missing or broken pack is named on
standard error with the reason, and the scene goes on without what it held.
Exit status: 0 on success, 1 when no OpenGL context or output file could be made, 2 for a bad
command line.
)";
}
