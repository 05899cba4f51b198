#include "render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// Limits that keep a typing slip from asking for a picture or a run nobody could want.
constexpr int kMaxSide = 16384;
constexpr long kMaxFrames = 100000000;

bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    long w = 0, h = 0;
    if (!ParseWholeNumber(text.substr(0, x), 1, kMaxSide, w)) return false;
    if (!ParseWholeNumber(text.substr(x + 1), 1, kMaxSide, h)) return false;
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

// One option of the renderer's own.
bool ReadRenderOption(ArgumentReader& reader, RenderOptions& o, std::string& error) {
    const std::string arg = "--" + reader.Name();
    std::string v;
    if (arg == "--help" || arg == "--h") {
        o.help = true;
    } else if (arg == "--preview") {
        o.preview = true;
    } else if (arg == "--stats") {
        o.stats = true;
    } else if (arg == "--resources") {
        if (!reader.Value(o.resources, error)) return false;
        if (o.resources.empty()) return error = "--resources needs a folder", false;
    } else if (arg == "--size") {
        if (!reader.Value(v, error)) return false;
        if (!ParseSize(v, o.width, o.height)) {
            return error = "--size wants WIDTHxHEIGHT, each 1 to 16384, not \"" + v + "\"", false;
        }
    } else if (arg == "--frames") {
        if (!reader.Value(v, error)) return false;
        if (!ParseWholeNumber(v, 0, kMaxFrames, o.frames)) {
            return error = "--frames wants a whole number from 0, not \"" + v + "\"", false;
        }
    } else if (arg == "--dt") {
        if (!reader.Value(v, error)) return false;
        if (!ParseSeconds(v, o.dt)) {
            return error = "--dt wants seconds above 0 and at most 1, not \"" + v + "\"", false;
        }
        o.fixedStep = true;
    } else if (arg == "--seed") {
        long seed = 0;
        if (!reader.Value(v, error)) return false;
        if (!ParseWholeNumber(v, 0, 4294967295L, seed)) {
            return error = "--seed wants a whole number 0 to 4294967295, not \"" + v + "\"", false;
        }
        o.seed = static_cast<uint32_t>(seed);
        o.seedGiven = true;
    } else if (arg == "--out") {
        if (!reader.Value(o.outDir, error)) return false;
        if (o.outDir.empty()) return error = "--out needs a folder", false;
    } else if (arg == "--every") {
        if (!reader.Value(v, error)) return false;
        if (!ParseWholeNumber(v, 1, kMaxFrames, o.every)) {
            return error = "--every wants a whole number from 1, not \"" + v + "\"", false;
        }
    } else {
        return error = "unknown option \"" + arg + "\" (see --help)", false;
    }
    return true;
}

}  // namespace

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& o, std::string& error) {
    ArgumentReader reader(argc - 1, argv + 1);
    while (!reader.Done()) {
        if (!reader.Next()) {
            error = "unexpected argument \"" + reader.Name() + "\" (see --help)";
            return false;
        }
        const OptionOutcome setting = ReadPreferenceOption(reader, false, o.settings, error);
        if (setting == OptionOutcome::kRefused) return false;
        if (setting == OptionOutcome::kTaken) continue;
        if (!ReadRenderOption(reader, o, error)) return false;
    }
    return true;
}

std::string RenderUsage() {
    return std::string(R"(Usage: velmora-render [OPTION]...
Renders the Velmora scene without a display (EGL, software OpenGL) and writes PNG frames.

  --resources DIR   folder with the packs and fallback.jpg
                    (default: share/velmora beside the program's bin/)
  --size WxH        picture size in pixels (default 640x480)
  --frames N        frames to draw (default 100)
  --dt SECONDS      a clock that steps by SECONDS (above 0, at most 1) for each frame;
                    without it the real time that has passed. Frames are drawn as the saver
                    draws them: one closer than 1/60 s to the last waits for the next step
  --seed N          seed of the random generator (default: the wall-clock second), so that
                    one seed reproduces one scene at a fixed --dt
  --preview         run as the settings window's small preview (no overlay)
  --out DIR         write frames as DIR/frame-NNNNNN.png (frames counted from 1; the
                    folder is made if needed)
  --every K         with --out, write every K-th frame only (default 1)
  --stats           print a summary at the end: cats placed, footprints laid, toy kicks and
                    hits, camera shots entered, frames drawn, the time of update, draw
                    and whole frame in milliseconds as min, median and max, and the first
                    frame in which cats were drawn with its time since the program started
  --help            this text

Settings for this run (the user's stored settings are neither read nor written):
)") + PreferenceUsage(false) +
           R"(
The ground shows fallback.jpg of the resources folder. A missing or broken pack is named on
standard error with the reason, and the scene goes on without what it held.
Exit status: 0 on success, 1 when no OpenGL context or output file could be made, 2 for a bad
command line.
)";
}
