// Command line of velmora-render.
#pragma once

#include <cstdint>
#include <string>

#include "host/preference_options.h"

struct RenderOptions {
    std::string resources;  // empty: share/velmora beside the program's bin/
    int width = 640;
    int height = 480;
    long frames = 100;
    double dt = 0.0;  // seconds per frame; 0 means real elapsed time
    bool fixedStep = false;
    bool seedGiven = false;
    uint32_t seed = 0;
    bool preview = false;
    PreferenceOverrides settings;  // the settings options and --set KEY=VALUE, in order
    std::string outDir;
    long every = 1;
    bool stats = false;
    bool help = false;
};

// Parses argv; false with a one-line reason in `error` for anything it does not understand.
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                        std::string& error);

// The --help text.
std::string RenderUsage();
