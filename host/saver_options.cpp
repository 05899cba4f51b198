#include "host/saver_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Reads a whole decimal integer within [low, high].
bool ParseInt(const std::string& text, int low, int high, int& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = int(parsed);
    return true;
}

// Reads an X window id, decimal or 0x-hexadecimal, as XScreenSaver writes them.
bool ParseWindowId(const std::string& text, unsigned long& id) {
    if (text.empty() || text[0] == '-') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || parsed == 0 || parsed > 0xFFFFFFFFul) return false;
    id = parsed;
    return true;
}

class ArgumentReader {
  public:
    ArgumentReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}
    bool Done() const { return index_ >= argc_; }

    // Splits the next argument into its name (without dashes) and an "=value" when present.
    bool Next(std::string& name, std::optional<std::string>& inlineValue) {
        std::string arg = argv_[index_++];
        inlineValue.reset();
        if (arg.size() < 2 || arg[0] != '-') {
            name = arg;
            return false;
        }
        arg.erase(0, arg[1] == '-' ? 2 : 1);
        const auto equals = arg.find('=');
        if (equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            arg.erase(equals);
        }
        name = arg;
        return true;
    }
    bool Value(const std::optional<std::string>& inlineValue, std::string& value) {
        if (inlineValue) {
            value = *inlineValue;
            return true;
        }
        if (index_ >= argc_) return false;
        value = argv_[index_++];
        return true;
    }

  private:
    int argc_;
    const char* const* argv_;
    int index_ = 0;
};

bool ParseBackground(const std::string& text, int& type) {
    if (text == "screen")
        type = 0;
    else if (text == "desktop")
        type = 1;
    else if (text == "folder")
        type = 2;
    else
        return false;
    return true;
}

}  // namespace

bool ParseSaverOptions(int argc, const char* const* argv, const char* xscreensaverWindow,
                       SaverOptions& options, std::string& error) {
    options = SaverOptions{};
    bool modeGiven = false;
    ArgumentReader reader(argc, argv);
    while (!reader.Done()) {
        std::string name;
        std::optional<std::string> inlineValue;
        if (!reader.Next(name, inlineValue)) {
            error = "unexpected argument \"" + name + "\"";
            return false;
        }
        auto flag = [&]() {
            if (!inlineValue) return true;
            error = "--" + name + " takes no value";
            return false;
        };
        std::string value;
        auto needValue = [&]() {
            if (reader.Value(inlineValue, value)) return true;
            error = "--" + name + " needs a value";
            return false;
        };
        auto intValue = [&](int low, int high, std::optional<int>& out) {
            int parsed = 0;
            if (!needValue()) return false;
            if (!ParseInt(value, low, high, parsed)) {
                error = "--" + name + " needs a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not \"" + value + "\"";
                return false;
            }
            out = parsed;
            return true;
        };

        if (name == "help" || name == "h") {
            if (!flag()) return false;
            options.help = true;
        } else if (name == "window" || name == "fullscreen" || name == "root") {
            if (!flag()) return false;
            options.mode = name == "window"       ? SaverMode::Window
                           : name == "fullscreen" ? SaverMode::Fullscreen
                                                  : SaverMode::Root;
            options.wayland = false;
            modeGiven = true;
        } else if (name == "window-id") {
            if (!needValue()) return false;
            if (!ParseWindowId(value, options.windowId)) {
                error = "--window-id needs an X window id, not \"" + value + "\"";
                return false;
            }
            options.mode = SaverMode::WindowId;
            options.wayland = false;
            modeGiven = true;
        } else if (name == "wayland") {
            if (!flag()) return false;
            options.wayland = true;
            modeGiven = true;
        } else if (name == "stats") {
            if (!flag()) return false;
            options.stats = true;
        } else if (name == "preview") {
            if (!flag()) return false;
            options.preview = true;
        } else if (name == "resources") {
            if (!needValue()) return false;
            if (value.empty()) {
                error = "--resources needs a folder";
                return false;
            }
            options.resources = value;
        } else if (name == "cats") {
            if (!intValue(kMinCats, kMaxCats, options.cats)) return false;
        } else if (name == "size") {
            if (!intValue(kMinSizePercent, kMaxSizePercent, options.sizePercent)) return false;
        } else if (name == "footprints") {
            if (!intValue(kMinFootprints, kMaxFootprints, options.footprints)) return false;
        } else if (name == "resolution") {
            if (!intValue(0, kMaxResolution, options.resolution)) return false;
        } else if (name == "background") {
            int type = 0;
            if (!needValue()) return false;
            if (!ParseBackground(value, type)) {
                error = "--background needs screen, desktop or folder, not \"" + value + "\"";
                return false;
            }
            options.background = type;
        } else if (name == "folder") {
            if (!needValue()) return false;
            options.folder = value;
        } else if (name == "tile" || name == "no-tile") {
            if (!flag()) return false;
            options.tile = name == "tile";
        } else if (name == "main-monitor-only" || name == "all-monitors") {
            if (!flag()) return false;
            options.mainMonitorOnly = name == "main-monitor-only";
        } else {
            error = "unknown option \"--" + name + "\"";
            return false;
        }
    }

    // XScreenSaver names its window in the environment; --root means that window when it is set.
    const bool haveEnvWindow = xscreensaverWindow != nullptr && *xscreensaverWindow != '\0';
    const bool useEnvWindow = haveEnvWindow && (!modeGiven || options.mode == SaverMode::Root);
    unsigned long id = 0;
    if (useEnvWindow && !ParseWindowId(xscreensaverWindow, id)) {
        error =
            std::string("XSCREENSAVER_WINDOW is not a window id: \"") + xscreensaverWindow + "\"";
        return false;
    }
    if (useEnvWindow) {
        options.mode = SaverMode::WindowId;
        options.windowId = id;
    }
    // XScreenSaver's own settings dialog names its preview both ways.
    options.xscreensaverWindow = options.mode == SaverMode::WindowId && haveEnvWindow &&
                                 ParseWindowId(xscreensaverWindow, id) && id == options.windowId;
    return true;
}

bool ApplyRunSettings(const SaverOptions& options, SETTINGS& settings, bool& mainMonitorOnly,
                      std::string& error) {
    if (options.folder && !SetBackgroundFolder(settings, *options.folder)) {
        error = "the folder path is longer than " + std::to_string(kMaxPathLength) + " bytes";
        return false;
    }
    if (options.cats) settings.NUM_DOGS = *options.cats;
    if (options.sizePercent) {
        settings.LDOGSIZE = *options.sizePercent;
        settings.dogSize = float(double(settings.LDOGSIZE) / 100.0);
    }
    if (options.footprints) settings.NUM_FOOTPRINTS = *options.footprints;
    if (options.background) settings.BGTYPE = *options.background;
    if (options.tile) settings.TILEBG = *options.tile;
    if (options.resolution) settings.BGRES = *options.resolution;
    if (options.mainMonitorOnly) mainMonitorOnly = *options.mainMonitorOnly;
    return true;
}

std::string SaverUsage() {
    return "Usage: velmora [OPTION]...\n"
           "Draws cats that play on a picture of your desktop, with OpenGL.\n"
           "\n"
           "Where to draw (the last one given counts):\n"
           "  --window               a resizable window (the default)\n"
           "  --fullscreen           one full-screen view per monitor; any key or click quits\n"
           "  --root                 the root window, or $XSCREENSAVER_WINDOW when it is set\n"
           "  --window-id ID         the X window ID (decimal or 0x-hexadecimal)\n"
           "  --wayland              one view per output of the Wayland compositor, above\n"
           "                         every window; any key, click or pointer motion quits\n"
           "                         (the default when $WAYLAND_DISPLAY is set and $DISPLAY\n"
           "                         is not)\n"
           "  --preview              draw as a small preview (no overlay, small capture)\n"
           "With none of --window, --fullscreen or --window-id, $XSCREENSAVER_WINDOW is used\n"
           "when set, as XScreenSaver expects.\n"
           "\n"
           "Settings for this run (the stored settings are used for the rest and never\n"
           "changed; velmora-settings edits them):\n"
           "  --cats N               number of cats, 0 to 3\n"
           "  --size PERCENT         cat size, 10 to 500 (100 is normal)\n"
           "  --footprints N         footprints kept on the ground, 1 to 100000\n"
           "  --background SOURCE    screen (a capture of the desktop), desktop (the desktop\n"
           "                         picture) or folder (a random picture from --folder)\n"
           "  --folder PATH          folder of .jpg, .gif and .png pictures\n"
           "  --tile, --no-tile      tile the ground picture 5 x 5 and fog the distance, or not\n"
           "  --resolution 0|1|2     capture detail: at most 512, 1024 or the largest texture\n"
           "  --main-monitor-only    animate only the primary monitor; the others stay black\n"
           "  --all-monitors         animate every monitor\n"
           "\n"
           "  --resources DIR        folder of the resource packs (default: share/velmora\n"
           "                         beside the program's bin/ folder)\n"
           "  --stats                at exit, print the frames drawn and the frame rate on\n"
           "                         standard error\n"
           "  --help                 show this text\n"
           "\n"
           "The saver ends on SIGTERM or SIGINT, and in its own windows when they are closed.\n";
}
