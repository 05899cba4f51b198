// The desktop picture of a monitor, as the user's own desktop names it. The session's desktop
// ($XDG_CURRENT_DESKTOP) is asked first: GNOME, Budgie, Cinnamon and MATE through GSettings
// (GNOME's dark picture in dark mode), XFCE through xfconf's channel file, KDE Plasma through its
// applets file, LXQt and LXDE through pcmanfm's settings, each per monitor where the desktop keeps
// one. Then the pictures of feh (~/.fehbg) and nitrogen, which window-manager sessions use. A
// session that names no desktop we know asks those two first, then every desktop, GSettings only
// for a picture the user chose. A GNOME slide show gives the picture it shows now; a Plasma
// wallpaper folder gives its picture nearest the monitor's width.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "host/background_source.h"
#include "host/screens.h"
#include "platform/gsettings_wallpaper.h"
#include "platform/wallpaper_config.h"

// Where the session keeps its settings, and what it is.
struct DesktopSession {
    std::string home;
    std::string configHome;               // $XDG_CONFIG_HOME, or ~/.config
    std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS, or /etc/xdg
    std::vector<std::string> desktops;    // $XDG_CURRENT_DESKTOP in lower case, in its order
    int workspace = 0;                    // the current workspace, from 0
    std::time_t now = 0;                  // the time that picks a slide show's picture

    // From $HOME, $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS and $XDG_CURRENT_DESKTOP (or
    // $DESKTOP_SESSION), at the current time, on workspace 0.
    static DesktopSession FromEnvironment();
};

class DesktopPictureFinder : public DesktopPictureLookup {
  public:
    // `screens` numbers and names the monitors (may be null: one monitor, number 0);
    // `schemaFolder` as for GSettingsWallpaper.
    DesktopPictureFinder(DesktopSession session, Screens* screens,
                         const char* schemaFolder = nullptr);
    std::string PicturePath(int screenNumber) override;

  private:
    enum class Source { Gnome, Cinnamon, Mate, Xfce, Plasma, Lxqt, Lxde, Feh, Nitrogen };

    std::vector<Source> SourcesInOrder(std::vector<Source>& sessions) const;
    MonitorRef Monitor(int screenNumber) const;
    std::string Named(Source source, const MonitorRef& monitor, bool sessionsOwn) const;
    std::string Resolve(const std::string& named, const MonitorRef& monitor) const;
    // The text of the first of $XDG_CONFIG_HOME/relative, $XDG_CONFIG_DIRS/relative that can be
    // read ("" when none).
    std::string ConfigText(const std::string& relative) const;

    DesktopSession session_;
    Screens* screens_;
    GSettingsWallpaper settings_;
};

// The local path named by a picture URI ("file:///home/u/My%20Pic.jpg" gives
// "/home/u/My Pic.jpg"); a plain absolute path is kept; anything else gives "".
std::string PathFromPictureUri(const std::string& uri);
