// The velmora program on a Wayland compositor: a view on every output (layer-shell overlays, or
// full-screen windows where the compositor has no layer shell), each output read once for the
// ground before the saver covers it, outputs followed as they come and go, and one event loop
// that draws a frame where the compositor wants one, about every 1/35 s.
#pragma once

#include <atomic>

#include "apps/velmora/saver_app.h"

// Runs until a signal raises `stop`, the user comes back (a key, a click, pointer motion), a
// full-screen window is closed, or the compositor goes away. Returns the process exit status.
// `startingUp` is lowered once the views are about to show, as for RunSaver.
int RunWaylandSaver(const SaverRun& run, const std::atomic<bool>& stop,
                    std::atomic<bool>& startingUp);
