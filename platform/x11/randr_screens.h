// The monitors of an X screen from XRandR (monitors as the user configured them, so that
// `xrandr --setmonitor` splits one output into several); the whole screen without RandR.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "host/screens.h"

class RandrScreens : public Screens {
  public:
    explicit RandrScreens(Display* display) : display_(display) {}
    std::vector<ScreenInfo> List() override;

  private:
    std::string AtomName(Atom atom);

    Display* display_;
};
