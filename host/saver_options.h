// The command line of the `velmora` saver: where to draw, and settings for this run only.
// Options are written "--name" (or "-name", as X programs and XScreenSaver write them);
// a value follows as the next argument or after "=".
#pragma once

#include <optional>
#include <string>

#include "host/settings.h"

enum class SaverMode {
    Window,      // a resizable window of our own (the default)
    Fullscreen,  // one borderless view per monitor; any key or click quits
    Root,        // the root window, or XScreenSaver's window when it names one
    WindowId,    // a window made by someone else (XScreenSaver, the settings preview)
};

struct SaverOptions {
    SaverMode mode = SaverMode::Window;
    unsigned long windowId = 0;
    // The window is XScreenSaver's ($XSCREENSAVER_WINDOW): the desktop is then captured through
    // XScreenSaver's helper, as the user's XScreenSaver preferences allow. Any other window
    // (the settings dialog's preview) captures the screen as --window does.
    bool xscreensaverWindow = false;
    bool preview = false;
    bool help = false;
    bool stats = false;     // print the frames drawn and the frame rate at exit (for benchmarks)
    std::string resources;  // empty: share/velmora beside the program's bin/
    // Settings for this run; unset ones come from the preferences store.
    std::optional<int> cats;
    std::optional<int> sizePercent;
    std::optional<int> footprints;
    std::optional<int> background;  // 0 screen, 1 desktop, 2 folder
    std::optional<std::string> folder;
    std::optional<bool> tile;
    std::optional<int> resolution;
    std::optional<bool> mainMonitorOnly;  // --main-monitor-only, or --all-monitors
    // One view per output of a Wayland compositor instead of any X11 mode (--wayland; a later
    // X11 mode undoes it, as the last mode given counts).
    bool wayland = false;
};

// Parses the arguments after the program name. `xscreensaverWindow` is $XSCREENSAVER_WINDOW
// (nullptr when unset): without --window, --fullscreen or --window-id, that window is drawn
// into, as XScreenSaver expects of its hacks. False, with a message in `error`, on an unknown
// option or a value out of range.
bool ParseSaverOptions(int argc, const char* const* argv, const char* xscreensaverWindow,
                       SaverOptions& options, std::string& error);

// Applies the run's settings over the stored ones; the store itself is never written.
// False, with a message, when the folder does not fit the settings record.
bool ApplyRunSettings(const SaverOptions& options, SETTINGS& settings, bool& mainMonitorOnly,
                      std::string& error);

// The text of --help.
std::string SaverUsage();
