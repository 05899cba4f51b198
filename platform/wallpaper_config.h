// The wallpaper as the desktops that keep it in files of their own name it: XFCE (xfconf's XML),
// KDE Plasma (plasma-org.kde.plasma.desktop-appletsrc), LXQt (pcmanfm-qt), LXDE (pcmanfm), feh
// (~/.fehbg) and nitrogen (bg-saved.cfg). Each reader takes the file's text and the monitor
// asked about, and gives the picture as the file writes it (a path or a file URI), or "" when the
// file names none for that monitor.
#pragma once

#include <string>

// A monitor as the desktops number and name it.
struct MonitorRef {
    int index = 0;         // in the X server's order (Xinerama's and xrandr's)
    std::string name;      // the output's name ("DP-1"), or "" when unknown
    int plasmaScreen = 0;  // Plasma's number: the primary monitor is 0, the others follow in order
    int workspace = 0;     // the current workspace (virtual desktop), from 0
    int width = 0;         // in pixels, for desktops that keep one picture per size
};

// xfconf's channel file xfce4-desktop.xml: /backdrop/screen0/monitor<NAME>/workspace<N>/last-image
// (by output name, then by monitor number, then workspace 0), the older .../image-path, and
// failing those the first monitor's picture.
std::string XfconfWallpaper(const std::string& channelXml, const MonitorRef& monitor);

// Plasma's appletsrc: the picture of the image wallpaper of the desktop containment on this
// screen, else of the first desktop containment that has one.
std::string PlasmaWallpaper(const std::string& appletsrc, const MonitorRef& monitor);

// pcmanfm-qt's settings.conf (LXQt): [Desktop] Wallpaper=, unless WallpaperMode=none.
std::string PcmanfmQtWallpaper(const std::string& settings);

// pcmanfm's desktop-items-N.conf ([*] wallpaper=) or pcmanfm.conf ([desktop] wallpaper=) (LXDE).
std::string PcmanfmWallpaper(const std::string& config);

// ~/.fehbg, the shell line feh writes: its N-th picture is monitor N's (repeated when there are
// fewer pictures than monitors).
std::string FehWallpaper(const std::string& fehbg, const MonitorRef& monitor);

// nitrogen's bg-saved.cfg: [xin_N] for monitor N, [xin_-1] for a picture across all monitors, else
// the first section naming a file.
std::string NitrogenWallpaper(const std::string& config, const MonitorRef& monitor);
