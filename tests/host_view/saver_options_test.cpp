#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/saver_options.h"
#include "tests/settings/settings_text.h"

namespace {

bool Parse(std::vector<const char*> args, SaverOptions& options, std::string& error,
           const char* env = nullptr) {
    return ParseSaverOptions(int(args.size()), args.data(), env, options, error);
}

TEST(SaverOptions, WhereToDraw) {
    const char* const kEnv = "0x2000005";  // XScreenSaver's window from the environment
    const struct {
        std::vector<const char*> args;
        const char* env;
        SaverMode mode;
        unsigned long windowId;
        bool preview, stats;
        bool xscreensaver;  // the window is XScreenSaver's: capture through its helper
        bool wayland = false;
    } cases[] = {
        {{}, nullptr, SaverMode::Window, 0, false, false, false},
        {{"--fullscreen"}, nullptr, SaverMode::Fullscreen, 0, false, false, false},
        {{"--window-id", "4194311", "--preview"},
         nullptr,
         SaverMode::WindowId,
         4194311,
         true,
         false,
         false},
        {{"-window-id", "0x400007"}, nullptr, SaverMode::WindowId, 0x400007, false, false, false},
        {{"--window-id=0x1a"}, nullptr, SaverMode::WindowId, 0x1a, false, false, false},
        {{"-root"}, nullptr, SaverMode::Root, 0, false, false, false},
        {{"--root", "-stats"}, nullptr, SaverMode::Root, 0, false, true, false},
        // The environment's window is used without a mode, and for --root.
        {{}, kEnv, SaverMode::WindowId, 0x2000005, false, false, true},
        {{"--root"}, kEnv, SaverMode::WindowId, 0x2000005, false, false, true},
        {{"--window"}, kEnv, SaverMode::Window, 0, false, false, false},
        {{"--window-id", "77"}, kEnv, SaverMode::WindowId, 77, false, false, false},
        {{"--window-id", "33554437", "--preview"},
         kEnv,
         SaverMode::WindowId,
         0x2000005,
         true,
         false,
         true},
        // A Wayland run is never taken over by XScreenSaver's window; the last mode counts.
        {{"--wayland"}, kEnv, SaverMode::Window, 0, false, false, false, true},
        {{"--wayland", "--fullscreen"}, nullptr, SaverMode::Fullscreen, 0, false, false, false},
        {{}, "", SaverMode::Window, 0, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " env " + (c.env ? c.env : "unset"));
        SaverOptions options;
        std::string error;
        ASSERT_TRUE(Parse(c.args, options, error, c.env)) << error;
        EXPECT_EQ(options.mode, c.mode);
        EXPECT_EQ(c.mode == SaverMode::WindowId ? options.windowId : 0, c.windowId);
        EXPECT_EQ(options.preview, c.preview);
        EXPECT_EQ(options.stats, c.stats);
        EXPECT_EQ(options.xscreensaverWindow, c.xscreensaver);
        EXPECT_EQ(options.wayland, c.wayland);
    }

    SaverOptions options;
    std::string error;
    for (const char* bad : {"0", "-5", "12abc", "", "0x1ffffffff"}) {
        EXPECT_FALSE(Parse({"--window-id", bad}, options, error)) << bad;
        EXPECT_NE(error.find("window id"), std::string::npos);
    }
    EXPECT_FALSE(Parse({"--window-id"}, options, error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
    for (const char* bad : {"--fullscreen=yes", "--stats=1", "stray"})
        EXPECT_FALSE(Parse({bad}, options, error)) << bad;
    EXPECT_FALSE(Parse({}, options, error, "junk"));
    EXPECT_FALSE(Parse({"--bogus"}, options, error));
    EXPECT_EQ(error, "unknown option \"--bogus\"");
}

TEST(SaverOptions, RunSettingsOverrideTheStoredOnesWithinRange) {
    SaverOptions options;
    std::string error;
    ASSERT_TRUE(Parse(
        {"--cats", "2", "--size=150", "--footprints", "50", "--background", "folder", "--folder",
         "/pics", "--no-tile", "--resolution", "2", "--main-monitor-only", "--resources", "/opt/v"},
        options, error))
        << error;
    SETTINGS settings = DefaultSettings();
    bool mainOnly = false;
    ASSERT_TRUE(ApplyRunSettings(options, settings, mainOnly, error));
    EXPECT_EQ(SettingsText(settings, mainOnly),
              "dogs=2 size=150/150 prints=50 tile=0 type=2 res=2 path=/pics main=1");
    EXPECT_EQ(options.resources, "/opt/v");

    // Without options the stored settings stay as they are; each option changes its own value.
    SETTINGS stored = DefaultSettings();
    stored.NUM_DOGS = 1;
    stored.TILEBG = false;
    bool storedMainOnly = true;
    const std::string unchanged = SettingsText(stored, storedMainOnly);
    ASSERT_TRUE(Parse({"--window"}, options, error));
    ASSERT_TRUE(ApplyRunSettings(options, stored, storedMainOnly, error));
    EXPECT_EQ(SettingsText(stored, storedMainOnly), unchanged);
    ASSERT_TRUE(Parse({"--background", "desktop", "--tile"}, options, error));
    ASSERT_TRUE(ApplyRunSettings(options, stored, storedMainOnly, error));
    EXPECT_EQ(SettingsText(stored, storedMainOnly),
              "dogs=1 size=100/100 prints=1000 tile=1 type=1 res=1 path=/usr/share/backgrounds/ "
              "main=1");
    ASSERT_TRUE(Parse({"--background", "screen", "--all-monitors"}, options, error));
    ASSERT_TRUE(ApplyRunSettings(options, stored, storedMainOnly, error));
    EXPECT_EQ(options.background, 0);
    EXPECT_FALSE(storedMainOnly);

    // Values out of range or malformed are refused with a message naming the option.
    for (std::vector<const char*> bad : {std::vector<const char*>{"--cats", "4"},
                                         {"--cats", "-1"},
                                         {"--size", "5"},
                                         {"--size", "100x"},
                                         {"--footprints", "0"},
                                         {"--resolution", "3"},
                                         {"--background", "wallpaper"},
                                         {"--cats", "99999999999999"},
                                         {"--resources", ""}}) {
        EXPECT_FALSE(Parse(bad, options, error)) << bad[0] << " " << bad[1];
        EXPECT_NE(error.find(bad[0] + 2), std::string::npos) << error;
    }

    // A folder too long for the record is refused rather than cut to another folder's name.
    const std::string longFolder = "/" + std::string(kMaxPathLength, 'f');
    std::vector<const char*> args = {"--folder", longFolder.c_str()};
    ASSERT_TRUE(Parse(args, options, error));
    SETTINGS target = DefaultSettings();
    const std::string before = target.BGPath;
    EXPECT_FALSE(ApplyRunSettings(options, target, mainOnly, error));
    EXPECT_EQ(std::string(target.BGPath), before);
}

TEST(SaverOptions, HelpNamesEveryOption) {
    SaverOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, options, error));
    EXPECT_TRUE(options.help);
    const std::string usage = SaverUsage();
    const char* const names[] = {
        "--window",       "--fullscreen", "--root",    "--window-id",         "--preview",
        "--resources",    "--cats",       "--size",    "--footprints",        "--background",
        "--folder",       "--tile",       "--no-tile", "--resolution",        "--main-monitor-only",
        "--all-monitors", "--stats",      "--wayland", "XSCREENSAVER_WINDOW", "WAYLAND_DISPLAY"};
    for (const char* name : names) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
}

}  // namespace
