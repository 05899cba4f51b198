#include <gtest/gtest.h>

#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "host/saver_options.h"
#include "host/xscreensaver_config.h"
#include "tests/settings/settings_text.h"

namespace {

bool Parse(std::vector<const char*> args, SaverOptions& options, std::string& error,
           const char* env = nullptr) {
    return ParseSaverOptions(int(args.size()), args.data(), env, options, error);
}

// Where the saver draws, on one line: the mode (with its window), then the flags that are set.
std::string Placement(const SaverOptions& o) {
    const char* const modes[] = {"window", "fullscreen", "root", "id"};
    std::string text = modes[int(o.mode)];
    if (o.mode == SaverMode::WindowId) text += "=" + std::to_string(o.windowId);
    if (o.preview) text += " preview";
    if (o.stats) text += " stats";
    if (o.xscreensaverWindow) text += " xscreensaver";
    if (o.wayland) text += " wayland";
    return text;
}

TEST(SaverOptions, WhereToDraw) {
    const char* const kEnv = "0x2000005";  // XScreenSaver's window from the environment
    // {arguments, $XSCREENSAVER_WINDOW, where the saver draws}
    const std::tuple<std::vector<const char*>, const char*, const char*> cases[] = {
        {{}, nullptr, "window"},
        {{"--fullscreen"}, nullptr, "fullscreen"},
        {{"--window-id", "4194311", "--preview"}, nullptr, "id=4194311 preview"},
        {{"-window-id", "0x400007"}, nullptr, "id=4194311"},
        {{"--window-id=0x1a"}, nullptr, "id=26"},
        {{"--root", "-stats"}, nullptr, "root stats"},
        // The environment's window is used without a mode, and for --root.
        {{}, kEnv, "id=33554437 xscreensaver"},
        {{"--root"}, kEnv, "id=33554437 xscreensaver"},
        {{"--window"}, kEnv, "window"},
        {{"--window-id", "77"}, kEnv, "id=77"},
        {{"--window-id", "33554437", "--preview"}, kEnv, "id=33554437 preview xscreensaver"},
        // A Wayland run is never taken over by XScreenSaver's window; the last mode counts.
        {{"--wayland"}, kEnv, "window wayland"},
        {{"--wayland", "--fullscreen"}, nullptr, "fullscreen"},
        {{}, "", "window"},
    };
    for (const auto& [args, env, placement] : cases) {
        SaverOptions options;
        std::string error;
        ASSERT_TRUE(Parse(args, options, error, env)) << error;
        EXPECT_EQ(Placement(options), placement) << testing::PrintToString(args);
    }

    SaverOptions options;
    std::string error;
    for (const char* bad : {"0", "-5", "12abc", "", "0x1ffffffff"}) {
        EXPECT_FALSE(Parse({"--window-id", bad}, options, error)) << bad;
        EXPECT_NE(error.find("window id"), std::string::npos);
    }
    EXPECT_FALSE(Parse({"--window-id"}, options, error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
    for (const char* bad : {"--fullscreen=yes", "stray", "--bogus"})
        EXPECT_FALSE(Parse({bad}, options, error)) << bad;
    EXPECT_NE(error.find("--bogus"), std::string::npos);
    EXPECT_FALSE(Parse({}, options, error, "junk"));
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
    ASSERT_TRUE(ApplyRunSettings(options, settings, error));
    EXPECT_EQ(SettingsText(settings),
              "dogs=2 size=150/150 prints=50 tile=0 type=2 res=2 path=/pics main=1");
    EXPECT_EQ(options.resources, "/opt/v");

    // Without options the stored settings stay as they are; each option changes its own value.
    SETTINGS stored = DefaultSettings();
    stored.NUM_DOGS = 1, stored.TILEBG = false, stored.MAIN_MONITOR_ONLY = true;
    ASSERT_TRUE(Parse({"--background", "desktop", "--tile", "--all-monitors"}, options, error));
    ASSERT_TRUE(ApplyRunSettings(options, stored, error));
    EXPECT_EQ(SettingsText(stored),
              "dogs=1 size=100/100 prints=1000 tile=1 type=1 res=1 path=/usr/share/backgrounds/ "
              "main=0");

    // Values out of range or malformed are refused with a message naming the option.
    const char* const refused[] = {
        "--cats",       "4",         "--size",       "100x",
        "--footprints", "0",         "--resolution", "3",
        "--background", "wallpaper", "--resources",  ""};  // option, value; option, value; ...
    for (std::size_t i = 0; i < std::size(refused); i += 2) {
        EXPECT_FALSE(Parse({refused[i], refused[i + 1]}, options, error)) << refused[i];
        EXPECT_NE(error.find(refused[i] + 2), std::string::npos) << error;
    }

    // A folder too long for the record is refused rather than cut to another folder's name.
    const std::string longFolder = "/" + std::string(kMaxPathLength, 'f');
    ASSERT_TRUE(Parse({"--folder", longFolder.c_str()}, options, error));
    EXPECT_FALSE(ApplyRunSettings(options, stored, error));
    EXPECT_EQ(std::string(stored.BGPath), "/usr/share/backgrounds/");
}

TEST(SaverOptions, HelpNamesEveryOption) {
    SaverOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, options, error));
    EXPECT_TRUE(options.help);
    std::istringstream names(
        "--window --fullscreen --root --window-id --preview --resources --cats --size --footprints "
        "--background --folder --tile --no-tile --resolution --main-monitor-only --all-monitors "
        "--stats --wayland XSCREENSAVER_WINDOW WAYLAND_DISPLAY");
    for (std::string name; names >> name;)
        EXPECT_NE(SaverUsage().find(name), std::string::npos) << name;
}

// True when the saver accepts the command line `text` (words split at spaces), as XScreenSaver's
// hack when `env` names XScreenSaver's window.
bool Accepted(const std::string& text, const char* env = nullptr) {
    std::istringstream in(text);
    const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    std::vector<const char*> args;
    for (const std::string& word : words) args.push_back(word.c_str());
    SaverOptions options;
    std::string error;
    return Parse(args, options, error, env) && (env == nullptr || options.xscreensaverWindow);
}

// Every command line XScreenSaver's settings dialog can build from our settings file is one the
// saver accepts (a typo there would make the hack refuse to start), and every control says what
// it does: a selection whose first entry passes nothing and says so, never a number, slider or
// check box, whose untouched default would silently mean "as stored" instead of what it shows.
TEST(XScreenSaverConfig, EveryControlSaysWhatItDoesAndEveryArgumentIsAccepted) {
    const std::string config = XScreenSaverConfig();
    EXPECT_NE(config.find("gl=\"yes\""), std::string::npos) << "the hack needs a GL visual";
    EXPECT_EQ(config.find("<number"), std::string::npos);
    EXPECT_EQ(config.find("<boolean"), std::string::npos);

    const std::regex select(R"re(<select id="([^"]*)">([^]*?)</select>)re");
    const std::regex option(R"re(<option [^>]*_label="([^"]*)"(?: arg-set="([^"]*)")?)re");
    std::string selects;
    int arguments = 0;
    for (auto it = std::sregex_iterator(config.begin(), config.end(), select);
         it != std::sregex_iterator(); ++it) {
        const std::string id = (*it)[1], body = (*it)[2];
        selects += id + " ";
        int index = 0;
        for (auto o = std::sregex_iterator(body.begin(), body.end(), option);
             o != std::sregex_iterator(); ++o, ++index) {
            const std::string label = (*o)[1];
            // The first entry passes nothing and says so; every other one passes its option.
            EXPECT_EQ(index == 0, !(*o)[2].matched) << id << ": " << label;
            EXPECT_TRUE(index == 0 ? label.find("as in Velmora's settings") != std::string::npos
                                   : Accepted((*o)[2]))
                << id << ": " << label;
            arguments += index != 0;
        }
    }
    EXPECT_EQ(selects, "cats size footprints background resolution tile main-monitor-only ");
    EXPECT_EQ(arguments, 4 + 8 + 8 + 3 + 3 + 2 + 2);

    std::smatch folder;
    ASSERT_TRUE(std::regex_search(config, folder, std::regex(R"re(<file[^>]*arg="([^"]*)")re")));
    std::string arg = folder[1];
    arg.replace(arg.find('%'), 1, "/home/user/Pictures");
    EXPECT_TRUE(Accepted(arg)) << arg;

    // The command XScreenSaver runs draws into its window.
    EXPECT_NE(config.find("<command arg=\"--root\"/>"), std::string::npos);
    EXPECT_TRUE(Accepted("--root", "0x400007"));
}

}  // namespace
