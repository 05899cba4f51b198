#include "host/saver_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

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

}  // namespace

bool ParseSaverOptions(int argc, const char* const* argv, const char* xscreensaverWindow,
                       SaverOptions& options, std::string& error) {
    options = SaverOptions{};
    bool modeGiven = false;
    ArgumentReader reader(argc, argv);
    while (!reader.Done()) {
        if (!reader.Next()) {
            error = "unexpected argument \"" + reader.Name() + "\"";
            return false;
        }
        const std::string& name = reader.Name();
        std::string value;
        const OptionOutcome setting = ReadPreferenceOption(reader, true, options.settings, error);
        if (setting == OptionOutcome::kRefused) return false;
        if (setting == OptionOutcome::kTaken) continue;

        if (name == "help" || name == "h") {
            if (!reader.NoValue(error)) return false;
            options.help = true;
        } else if (name == "window" || name == "fullscreen" || name == "root") {
            if (!reader.NoValue(error)) return false;
            options.mode = name == "window"       ? SaverMode::Window
                           : name == "fullscreen" ? SaverMode::Fullscreen
                                                  : SaverMode::Root;
            options.wayland = false;
            modeGiven = true;
        } else if (name == "window-id") {
            if (!reader.Value(value, error)) return false;
            if (!ParseWindowId(value, options.windowId)) {
                error = "--window-id needs an X window id, not \"" + value + "\"";
                return false;
            }
            options.mode = SaverMode::WindowId;
            options.wayland = false;
            modeGiven = true;
        } else if (name == "wayland") {
            if (!reader.NoValue(error)) return false;
            options.wayland = true;
            modeGiven = true;
        } else if (name == "stats") {
            if (!reader.NoValue(error)) return false;
            options.stats = true;
        } else if (name == "preview") {
            if (!reader.NoValue(error)) return false;
            options.preview = true;
        } else if (name == "resources") {
            if (!reader.Value(value, error)) return false;
            if (value.empty()) {
                error = "--resources needs a folder";
                return false;
            }
            options.resources = value;
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

bool ApplyRunSettings(const SaverOptions& options, SETTINGS& settings, std::string& error) {
    return ApplyPreferenceOverrides(options.settings, settings, error);
}

std::string SaverUsage() {
    return std::string(
               "Usage: velmora [OPTION]...\n"
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
               "changed; velmora-settings edits them):\n") +
           PreferenceUsage(true) +
           "\n"
           "  --resources DIR        folder of the resource packs (default: share/velmora\n"
           "                         beside the program's bin/ folder)\n"
           "  --stats                at exit, print the frames drawn and the frame rate on\n"
           "                         standard error\n"
           "  --help                 show this text\n"
           "\n"
           "The saver ends on SIGTERM or SIGINT, and in its own windows when they are closed.\n";
}
