// The desktop picture of an output on wlroots desktops: what a running swaybg of ours shows
// (the truth on the screen), else what sway's configuration sets (the configuration file named
// by a running sway's -c, or the one sway would read), else hyprpaper's configuration; then
// whatever `otherwise` finds (GNOME's setting under Mutter).
#pragma once

#include <functional>
#include <string>

#include "host/background_source.h"
#include "platform/wayland/wallpaper_settings.h"

class WaylandDesktopPicture : public DesktopPictureLookup {
  public:
    // `outputName` gives the connector name of a screen number; `otherwise` may be null.
    WaylandDesktopPicture(std::function<std::string(int)> outputName,
                          DesktopPictureLookup* otherwise)
        : outputName_(std::move(outputName)), otherwise_(otherwise) {}
    std::string PicturePath(int screenNumber) override;

  private:
    std::function<std::string(int)> outputName_;
    DesktopPictureLookup* otherwise_;
};
