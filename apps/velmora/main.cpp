// velmora: cats playing on your desktop, as an X11 program and an XScreenSaver hack.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "apps/velmora/saver_app.h"
#include "host/saver_options.h"
#include "platform/install_paths.h"
#include "platform/keyfile_store.h"

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) {
    stopRequested.store(true);
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

}  // namespace

int main(int argc, char** argv) {
    SaverRun run;
    std::string error;
    if (!ParseSaverOptions(argc - 1, argv + 1, std::getenv("XSCREENSAVER_WINDOW"), run.options,
                           error)) {
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
    run.resourcePath =
        run.options.resources.empty() ? DefaultResourceFolder() : run.options.resources;
    return RunSaver(run, stopRequested);
}
