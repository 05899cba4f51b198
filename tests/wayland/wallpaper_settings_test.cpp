#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wayland/wallpaper_settings.h"

namespace {

const PathContext kContext{"/home/u", "/home/u/.config/sway"};

struct Case {
    const char* text;
    const char* output;
    const char* picture;
};

TEST(WallpaperSettings, SwayConfigNamesEachOutputsPicture) {
    const Case cases[] = {
        {"output * bg /usr/share/w.png fill", "DP-1", "/usr/share/w.png"},
        {"output * bg /a.png fill\noutput DP-1 bg /b.png fit", "DP-1", "/b.png"},
        // A named output beats every-output lines that come later.
        {"output DP-1 bg /b.png fit\noutput * bg /a.png fill", "DP-1", "/b.png"},
        {"output DP-1 resolution 1920x1080 position 0,0 background ~/w.jpg stretch", "DP-1",
         "/home/u/w.jpg"},
        {"set $wall $HOME/pics\noutput * bg $wall/x.png fill", "DP-1", "/home/u/pics/x.png"},
        {"set $w /a.png\nset $w2 /b.png\noutput * bg $w2 fill", "DP-1", "/b.png"},
        {"output * bg \"/my pics/a b.png\" fill", "DP-1", "/my pics/a b.png"},
        {"output * bg /my pics/a b.png fill", "DP-1", "/my pics/a b.png"},
        {"output * bg walls/a.png center", "DP-1", "/home/u/.config/sway/walls/a.png"},
        {"output DP-1 {\n  mode 2560x1440\n  bg /c.png fill\n}\noutput * bg /a.png fill", "DP-1",
         "/c.png"},
        {"output \\\n * bg /joined.png fill", "DP-1", "/joined.png"},
        // Plain colours, comments and other blocks name no picture.
        {"output * bg #203040 solid_color", "DP-1", ""},
        {"output * bg /a.png fill\noutput DP-1 bg #000000 solid_color", "DP-1", ""},
        {"bar {\n  output * bg /a.png fill\n}", "DP-1", ""},
        {"output DP-1 scale 2", "DP-1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PictureForOutput(ParseSwayConfig(c.text, kContext), c.output), c.picture);
    }
}

TEST(WallpaperSettings, HyprpaperConfigNamesEachMonitorsPicture) {
    const PathContext context{"/home/u", ""};
    const Case cases[] = {
        {"preload = ~/a.png\nwallpaper = DP-1,~/a.png", "DP-1", "/home/u/a.png"},
        {"wallpaper = ,/all.png\nwallpaper = DP-1, /one.png # mine", "HDMI-A-1", "/all.png"},
        {"wallpaper = ,/all.png\nwallpaper = DP-1, /one.png # mine", "DP-1", "/one.png"},
        {"wallpaper = DP-1,contain:/c.png", "DP-1", "/c.png"},
        {"$dir = /walls\nwallpaper = DP-1,$dir/x.png", "DP-1", "/walls/x.png"},
        {"wallpaper {\n  monitor = DP-1\n  path = ~/b.png\n}", "DP-1", "/home/u/b.png"},
        {"wallpaper {\n  monitor =\n  path = /every.png\n}", "DP-2", "/every.png"},
        {"splash = true\nwallpaper = broken", "DP-1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PictureForOutput(ParseHyprpaperConfig(c.text, context), c.output), c.picture);
    }
}

TEST(WallpaperSettings, SwaybgArgumentsNameEachOutputsPicture) {
    const struct {
        std::vector<std::string> arguments;
        const char* output;
        const char* picture;
    } cases[] = {
        {{"-i", "/a.png", "-m", "fill"}, "DP-1", "/a.png"},
        {{"-o", "DP-1", "-i", "/a.png", "-m", "fill", "-o", "DP-2", "-i", "/b.png"},
         "DP-2",
         "/b.png"},
        {{"-o", "DP-1", "-i", "/a.png"}, "DP-3", ""},
        {{"--output=*", "--image=/all.png", "-o", "DP-1", "-c", "#000000"}, "DP-1", ""},
        {{"--output=*", "--image=/all.png", "-o", "DP-1", "-c", "#000000"}, "DP-2", "/all.png"},
        {{"-oDP-1", "-i/x.png"}, "DP-1", "/x.png"},
        {{"-o", "DP-1", "-i"}, "DP-1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(PictureForOutput(ParseSwaybgArguments(c.arguments), c.output), c.picture);
    }
}

}  // namespace
