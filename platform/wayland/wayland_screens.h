// The compositor's outputs as the view sees screens: numbered by their registry names (stable
// while the saver runs, whatever comes and goes), named by their connectors, in the
// compositor's order. Wayland has no
// primary output; the first one announced is taken as the main screen.
#pragma once

#include "host/screens.h"

class WaylandConnection;

class WaylandScreens : public Screens {
  public:
    explicit WaylandScreens(const WaylandConnection& connection) : connection_(connection) {}
    std::vector<ScreenInfo> List() override;

  private:
    const WaylandConnection& connection_;
};
