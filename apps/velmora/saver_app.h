// The velmora program: opens the display, makes one view per drawing target and runs the
// single event loop that gives every view a frame about every 1/35 s.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "host/saver_options.h"
#include "host/settings.h"

struct SaverRun {
    SaverOptions options;
    SETTINGS settings;
    bool mainMonitorOnly = false;
    std::string resourcePath;
    std::vector<std::string> notice;  // lines written over every frame (missing resources)
};

// Runs until a signal raises `stop`, a key or click in full-screen mode, the window is closed,
// or the window we draw into goes away. Returns the process exit status. `startingUp` is lowered
// once the views are about to draw: until then the signal handler may end the process at once.
int RunSaver(const SaverRun& run, const std::atomic<bool>& stop, std::atomic<bool>& startingUp);
