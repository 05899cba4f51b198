// What the wallpaper programs of wlroots desktops have been told to show on each output, read
// from their own words: swaybg's command line, sway's configuration ("output NAME bg PATH MODE")
// and hyprpaper's configuration ("wallpaper = NAME,PATH").
#pragma once

#include <string>
#include <vector>

// One output's picture; the output "*" stands for every output. An empty path is a plain colour.
struct WallpaperChoice {
    std::string output;
    std::string path;
};
using WallpaperChoices = std::vector<WallpaperChoice>;

// The picture of `outputName`: the last choice that names it, else the last one for every
// output; "" when there is none (or it is a plain colour).
std::string PictureForOutput(const WallpaperChoices& choices, const std::string& outputName);

// Where home-relative paths ("~/w.png", "$HOME/w.png") lead, and the folder that relative paths
// start from (sway's: the configuration file's folder).
struct PathContext {
    std::string home;
    std::string folder;
};

// swaybg's arguments after the program name: -o/--output starts an output's settings (before
// any, they are every output's), -i/--image names its picture, -c/--color a colour.
WallpaperChoices ParseSwaybgArguments(const std::vector<std::string>& arguments);

// sway's configuration: "output NAME ... bg|background PATH MODE ..." on one line or inside an
// "output NAME { ... }" block, with "set $name value" variables.
WallpaperChoices ParseSwayConfig(const std::string& text, const PathContext& context);

// hyprpaper's configuration: "wallpaper = MONITOR,PATH" (an empty monitor is every monitor;
// the path may carry a "contain:" or "tile:" mode), with "$name = value" variables.
WallpaperChoices ParseHyprpaperConfig(const std::string& text, const PathContext& context);
