// The desktop picture of an output on wlroots desktops: what a running swaybg of ours shows
// (the truth on the screen), else what sway's configuration sets (the configuration file named
// by a running sway's -c, or the one sway would read), else hyprpaper's configuration; then
// whatever `otherwise` finds (the session desktop's own picture: GNOME, KDE Plasma).
#pragma once

#include <string>

#include "host/background_source.h"
#include "host/screens.h"
#include "platform/wayland/wallpaper_settings.h"

class WaylandDesktopPicture : public DesktopPictureLookup {
  public:
    // `screens` names the outputs by number; `otherwise` may be null.
    WaylandDesktopPicture(Screens& screens, DesktopPictureLookup* otherwise)
        : screens_(screens), otherwise_(otherwise) {}
    std::string PicturePath(int screenNumber) override;

  private:
    Screens& screens_;
    DesktopPictureLookup* otherwise_;
};
