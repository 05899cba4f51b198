// The desktop picture as each kind of Linux desktop names it, from real settings files written
// here into a scratch home (and private GSettings schemas), per monitor and workspace.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "platform/desktop_picture.h"
#include "platform/xscreensaver_prefs.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;
using test_files::ScratchFolder;
using test_files::WriteText;

namespace {

// File URIs and plain paths become paths as the desktops' settings below show.
TEST(DesktopPictureUri, OtherSchemesAndOtherHostsGiveNothing) {
    EXPECT_EQ(PathFromPictureUri("https://example.org/a.jpg"), "");
    EXPECT_EQ(PathFromPictureUri("file://otherhost/a.jpg"), "");
}

// Two monitors: DP-1 (primary, 1920 wide) and HDMI-1 (1280 wide), in that order.
struct TwoMonitors : Screens {
    std::vector<ScreenInfo> List() override {
        return {{0, {0, 0, 1920, 1080}, true, "DP-1"}, {1, {1920, 0, 1280, 1024}, false, "HDMI-1"}};
    }
};

// xfconf nests a property per path segment; the text between elements is of no account.
constexpr const char* kXfconf =
    "<channel name=\"xfce4-desktop\"><property name=\"backdrop\"><property name=\"screen0\">"
    "<property name=\"monitorDP-1\"><property name=\"workspace0\">"
    "<property name=\"image-style\" type=\"int\" value=\"5\"/>"
    "<property name=\"last-image\" type=\"string\" value=\"/p/xfce-dp1.png\"/>"
    "</property></property><property name=\"monitorHDMI-1\"><property name=\"workspace0\">"
    "<property name=\"last-image\" type=\"string\" value=\"/p/xfce-hdmi.jpg\"/></property>"
    "<property name=\"workspace1\">"
    "<property name=\"last-image\" type=\"string\" value=\"/p/xfce-hdmi-second.jpg\"/>"
    "</property></property></property></property></channel>\n";

// A panel, then the second screen's desktop before the first's.
constexpr const char* kPlasma =
    "[ActionPlugins][0]\nRightButton;NoModifier=org.kde.contextmenu\n"
    "[Containments][2]\nlastScreen=0\nlocation=4\nplugin=org.kde.panel\n"
    "[Containments][7]\nlastScreen=1\nlocation=0\nplugin=org.kde.plasma.folder\n"
    "[Containments][7][Wallpaper][org.kde.image][General]\nImage=/p/plasma-second.png\n"
    "[Containments][1]\nformfactor=0\nlastScreen=0\nplugin=org.kde.desktopcontainment\n"
    "[Containments][1][Wallpaper][org.kde.image][General]\n"
    "Image[$e]=file:///p/plasma%20first.jpg\nSlidePaths=/usr/share/wallpapers/\n";

class DesktopSettings : public ::testing::Test {
  protected:
    // The session as the environment names it: `desktops` as in $XDG_CURRENT_DESKTOP.
    DesktopSession Session(const char* desktops) const {
        setenv("HOME", home_.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ / ".config").c_str(), 1);
        setenv("XDG_CURRENT_DESKTOP", desktops, 1);
        unsetenv("DESKTOP_SESSION");
        // Folder names keep their case (desktop names are compared in lower case).
        setenv("XDG_CONFIG_DIRS", (home_ / "Xdg").c_str(), 1);
        return DesktopSession::FromEnvironment();
    }
    void Write(const std::string& relative, const std::string& text) const {
        fs::create_directories(fs::path(home_ / relative).parent_path());
        WriteText(home_ / relative, text);
    }
    std::string Find(DesktopSession session, int screen) {
        DesktopPictureFinder finder(std::move(session), &monitors_, "/nonexistent/schemas");
        return finder.PicturePath(screen);
    }

    ScratchFolder home_;
    TwoMonitors monitors_;
};

TEST_F(DesktopSettings, EachDesktopsOwnSettingsNameThePicturePerMonitor) {
    Write(".config/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml", kXfconf);
    Write(".config/plasma-org.kde.plasma.desktop-appletsrc", kPlasma);
    // LXQt's settings only in the system folder; LXDE's per monitor.
    Write("Xdg/pcmanfm-qt/lxqt/settings.conf",
          "[Desktop]\nWallpaperMode=stretch\nWallpaper=/p/lxqt.png\n");
    Write(".config/pcmanfm/LXDE/desktop-items-0.conf", "[*]\nwallpaper=/p/lxde-0.jpg\n");
    Write(".config/pcmanfm/LXDE/desktop-items-1.conf", "[*]\nwallpaper=/p/lxde-1.jpg\n");
    Write(".fehbg",
          "#!/bin/sh\nfeh --no-fehbg --bg-fill --image-bg black '/p/feh one.jpg' "
          "'/p/it'\\''s.png' \n");
    Write(".config/nitrogen/bg-saved.cfg",
          "[xin_0]\nfile=/p/nitro-0.jpg\nmode=4\n\n[xin_1]\nfile=/p/nitro-1.jpg\n");
    // {$XDG_CURRENT_DESKTOP, workspace, screen, picture}
    const std::tuple<const char*, int, int, const char*> cases[] = {
        {"XFCE", 1, 1, "/p/xfce-hdmi-second.jpg"},
        {"XFCE", 1, 0, "/p/xfce-dp1.png"},  // no picture on this workspace: workspace 0's
        {"KDE", 0, 0, "/p/plasma first.jpg"},
        {"KDE", 0, 1, "/p/plasma-second.png"},
        {"LXQt", 0, 1, "/p/lxqt.png"},
        {"LXDE", 0, 1, "/p/lxde-1.jpg"},
        // The session's own desktop comes before feh, which a window manager's session asks first.
        {"i3", 0, 0, "/p/feh one.jpg"},
        {"i3", 0, 1, "/p/it's.png"},
    };
    for (const auto& [desktops, workspace, screen, expected] : cases) {
        SCOPED_TRACE(std::string(desktops) + " screen " + std::to_string(screen));
        DesktopSession session = Session(desktops);
        session.workspace = workspace;
        EXPECT_EQ(Find(session, screen), expected);
    }
    fs::remove(home_ / ".fehbg");
    EXPECT_EQ(Find(Session(""), 1), "/p/nitro-1.jpg");
    fs::remove(home_ / ".config/nitrogen/bg-saved.cfg");
    EXPECT_EQ(Find(Session(""), 1), "/p/xfce-hdmi.jpg") << "no known session: any desktop's file";
}

TEST_F(DesktopSettings, SlideShowsGiveTodaysPictureAndWallpaperFoldersTheNearestSize) {
    std::tm start{};
    strptime("2011-11-24 07:01:00", "%Y-%m-%d %H:%M:%S", &start);
    start.tm_isdst = -1;
    const std::time_t started = std::mktime(&start);
    Write("show.xml",
          "<background><starttime><year>2011</year><month>11</month><day>24</day>"
          "<hour>7</hour><minute>01</minute><second>00</second></starttime>\n"
          "<static><duration>100.0</duration><file>/p/morning.jpg</file></static>\n"
          "<transition type=\"overlay\"><duration>10.0</duration><from>/p/morning.jpg</from>"
          "<to>/p/night.jpg</to></transition>\n"
          "<static><duration>90.0</duration><file><size width=\"3840\" height=\"2160\">"
          "/p/night.jpg</size><size width=\"1024\" height=\"768\">/p/night-small.jpg</size>"
          "</file></static></background>\n");
    Write(".config/pcmanfm-qt/lxqt/settings.conf",
          "[Desktop]\nWallpaper=" + home_ / "show.xml" + "\n");
    // Before the show began it runs as if it had always been running.
    const std::pair<long, const char*> moments[] = {
        {-50, "/p/night.jpg"}, {50, "/p/morning.jpg"}, {104, "/p/morning.jpg"},
        {106, "/p/night.jpg"}, {150, "/p/night.jpg"},  {200 * 1000 + 20, "/p/morning.jpg"}};
    for (const auto& moment : moments) {
        DesktopSession session = Session("LXQt");
        session.now = started + moment.first;
        EXPECT_EQ(Find(session, 0), moment.second) << moment.first << " s into the show";
    }

    for (const char* size : {"1280x1024.png", "1920x1080.png", "3840x2160.png"})
        Write(std::string("Next/contents/images/") + size, "x");
    Write(".config/plasma-org.kde.plasma.desktop-appletsrc",
          "[Containments][1]\nlastScreen=0\nplugin=org.kde.plasma.folder\n"
          "[Containments][1][Wallpaper][org.kde.image][General]\nImage=file://" +
              home_ / "Next/" + "\n");
    EXPECT_EQ(Find(Session("KDE"), 0), home_ / "Next/contents/images/1920x1080.png");
    EXPECT_EQ(Find(Session("KDE"), 1), home_ / "Next/contents/images/1280x1024.png");
}

// Compiles schemas of GNOME's and MATE's background keys with these defaults.
void CompileSchemas(const std::string& folder) {
    fs::create_directories(folder);
    auto schema = [](const std::string& id, const std::string& keys) {
        return "<schema id=\"" + id + "\" path=\"/" + id + "/\">" + keys + "</schema>";
    };
    auto key = [](const std::string& name, const std::string& value) {
        return "<key name=\"" + name + "\" type=\"s\"><default>'" + value + "'</default></key>";
    };
    WriteText(folder + "/desktops.gschema.xml",
              "<schemalist>" +
                  schema("org.gnome.desktop.background",
                         key("picture-uri", "file:///p/gnome.svg") +
                             key("picture-uri-dark", "file:///p/gnome-dark.webp")) +
                  schema("org.gnome.desktop.interface", key("color-scheme", "default")) +
                  schema("org.mate.background", key("picture-filename", "/p/mate.png")) +
                  "</schemalist>\n");
    ASSERT_EQ(std::system(("glib-compile-schemas '" + folder + "'").c_str()), 0);
}

TEST_F(DesktopSettings, GSettingsDesktopsAndTheDarkPictureOfGnome) {
    // Values live in memory for this process only, never in the user's real settings.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    const std::string schemas = home_ / "schemas";
    CompileSchemas(schemas);
    auto find = [&](const char* desktops) {
        DesktopPictureFinder finder(Session(desktops), &monitors_, schemas.c_str());
        return finder.PicturePath(1);
    };
    EXPECT_EQ(find("MATE"), "/p/mate.png");
    // An unknown session takes no schema's default for the user's choice.
    EXPECT_EQ(find("i3"), "");

    GSettingsSchemaSource* source =
        g_settings_schema_source_new_from_directory(schemas.c_str(), nullptr, FALSE, nullptr);
    auto set = [source](const char* id, const char* key, const char* value) {
        GSettingsSchema* schema = g_settings_schema_source_lookup(source, id, FALSE);
        GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
        g_settings_set_string(settings, key, value);
        g_object_unref(settings);
        g_settings_schema_unref(schema);
    };
    set("org.gnome.desktop.interface", "color-scheme", "prefer-dark");
    EXPECT_EQ(find("GNOME"), "/p/gnome-dark.webp");
    set("org.mate.background", "picture-filename", "/p/mine.png");
    EXPECT_EQ(find("i3"), "/p/mine.png");
    g_settings_schema_source_unref(source);

    // Schemas that are not installed give nothing instead of GLib aborting the program.
    EXPECT_EQ(Find(Session("GNOME"), 0), "");
}

// What XScreenSaver lets its hacks show, as xscreensaver-getimage reads it: ~/.xscreensaver over
// the application defaults.
TEST_F(DesktopSettings, XScreenSaverPreferencesSayWhetherTheScreenMayBeShown) {
    const std::string defaultsFile = home_ / "XScreenSaver";
    // {~/.xscreensaver (nullptr for none), the application defaults, a picture may be shown}
    const std::tuple<const char*, const char*, bool> cases[] = {
        {nullptr, "*grabDesktopImages:\tTrue\n*chooseRandomImages:\tFalse\n", true},
        {"mode:\t\tone\ngrabDesktopImages:\tFalse\n", "*grabDesktopImages:\tTrue\n", false},
        {"chooseRandomImages:\tTrue\nimageDirectory:\t/home/u/Pictures\n",
         "*grabDesktopImages:\tFalse\n", true},
        {"chooseRandomImages:\tTrue\nimageDirectory:\t\n", "*grabDesktopImages:\tFalse\n", false},
    };
    for (const auto& [user, defaults, picture] : cases) {
        SCOPED_TRACE(user ? user : "no ~/.xscreensaver");
        fs::remove(home_ / ".xscreensaver");
        if (user) WriteText(home_ / ".xscreensaver", user);
        WriteText(defaultsFile, defaults);
        EXPECT_EQ(ReadXScreenSaverImagePrefs(home_.Path(), {defaultsFile}).GivesAPicture(),
                  picture);
    }
}

}  // namespace
