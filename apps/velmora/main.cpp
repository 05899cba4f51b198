// velmora: cats playing on your desktop, as an X11 program, an XScreenSaver hack and a saver
// for Wayland compositors.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "apps/velmora/saver_app.h"
#ifdef VELMORA_HAVE_WAYLAND
#include "apps/velmora/wayland_app.h"
#endif
#include "host/saver_options.h"
#include "platform/install_paths.h"
#include "platform/keyfile_store.h"

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> startingUp{true};

void RequestStop(int) {
    // Before anything is drawn there is nothing to put back: end at once, whatever is loading.
    if (startingUp.load()) _exit(0);
    stopRequested.store(true);
}

// Where the resources are: the folder named by --resources, else the first of the usual places
// that holds them. When none does, the user is told on standard error and on the screen, and
// the saver runs on without them.
void FindResources(SaverRun& run) {
    const bool named = !run.options.resources.empty();
    const std::vector<std::string> candidates =
        named ? std::vector<std::string>{run.options.resources} : ResourceFolderCandidates();
    run.resourcePath = FindResourceFolder(candidates);
    if (!run.resourcePath.empty()) return;
    run.resourcePath = candidates.front();
    std::string places;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        places += (i == 0 ? "" : i + 1 == candidates.size() ? " or " : ", ") + candidates[i];
    }
    std::fprintf(stderr,
                 "velmora: cannot find the resource files (the scene pack pebble.courtyards) in "
                 "%s; reinstall Velmora, or name their folder with --resources DIR\n",
                 places.c_str());
    run.notice = {"Velmora cannot find its resource files.",
                  "It looked for the scene pack pebble.courtyards in:"};
    for (const std::string& folder : candidates) run.notice.push_back("  " + folder);
    run.notice.push_back("Reinstall Velmora, or name the folder with --resources DIR.");
}

// XScreenSaver ends its hacks with SIGTERM; a terminal sends SIGINT. Neither restarts the
// wait in the event loop, so the loop sees the request at once.
void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Only a Wayland compositor is there to draw on: no X display is named.
bool OnlyWayland() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    return wayland && *wayland && !(x11 && *x11);
}

}  // namespace

int main(int argc, char** argv) {
    // Where only a Wayland compositor is reachable, --wayland is the default: it goes first, so
    // that a --window or --fullscreen the user gives still counts.
    std::vector<const char*> arguments(argv + 1, argv + argc);
    if (OnlyWayland()) arguments.insert(arguments.begin(), "--wayland");
    SaverRun run;
    std::string error;
    if (!ParseSaverOptions(int(arguments.size()), arguments.data(),
                           std::getenv("XSCREENSAVER_WINDOW"), run.options, error)) {
        std::fprintf(stderr, "velmora: %s\nTry 'velmora --help' for the options.\n", error.c_str());
        return 2;
    }
    if (run.options.help) {
        std::fputs(SaverUsage().c_str(), stdout);
        return 0;
    }
    InstallSignalHandlers();

    KeyFileStore store;
    // A preview only looks: it leaves the file to the settings dialog that started it.
    LoadSettings(store, run.settings, run.mainMonitorOnly,
                 run.options.preview ? StoreDefaults::kWithNextSave : StoreDefaults::kAtOnce);
    if (!ApplyRunSettings(run.options, run.settings, run.mainMonitorOnly, error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return 2;
    }
    FindResources(run);
    if (run.options.wayland) {
#ifdef VELMORA_HAVE_WAYLAND
        return RunWaylandSaver(run, stopRequested, startingUp);
#else
        std::fprintf(stderr, "velmora: this velmora was built without Wayland support\n");
        return 1;
#endif
    }
    return RunSaver(run, stopRequested, startingUp);
}
