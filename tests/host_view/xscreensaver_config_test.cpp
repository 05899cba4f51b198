#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/saver_options.h"

namespace {

std::string ReadConfig() {
    std::ifstream file(std::string(VELMORA_SOURCE_DIR) + "/data/velmora.xml");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool Accepted(const std::vector<std::string>& words, SaverOptions& options, std::string& error) {
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    return ParseSaverOptions(int(argv.size()), argv.data(), nullptr, options, error);
}

// Every command line XScreenSaver's settings dialog can build from our settings file is one the
// saver accepts (a typo there would make the hack refuse to start), and every control says what
// it does: a selection whose first entry passes nothing and says so, never a number, slider or
// check box, whose untouched default would silently mean "as stored" instead of what it shows.
TEST(XScreenSaverConfig, EveryControlSaysWhatItDoesAndEveryArgumentIsAccepted) {
    const std::string config = ReadConfig();
    ASSERT_FALSE(config.empty());
    EXPECT_NE(config.find("<screensaver name=\"velmora\""), std::string::npos);
    EXPECT_NE(config.find("gl=\"yes\""), std::string::npos) << "the hack needs a GL visual";
    for (const char* trap : {"<number", "<boolean"}) {
        EXPECT_EQ(config.find(trap), std::string::npos) << trap;
    }

    const std::regex select(R"re(<select id="([^"]*)">([^]*?)</select>)re");
    const std::regex option(R"re(<option [^>]*_label="([^"]*)"([^>]*)/>)re");
    const std::regex argSet(R"re(arg-set="([^"]*)")re");
    SaverOptions options;
    std::string error;
    std::vector<std::string> selects;
    int arguments = 0;
    for (auto it = std::sregex_iterator(config.begin(), config.end(), select);
         it != std::sregex_iterator(); ++it) {
        const std::string id = (*it)[1], body = (*it)[2];
        selects.push_back(id);
        int index = 0;
        for (auto o = std::sregex_iterator(body.begin(), body.end(), option);
             o != std::sregex_iterator(); ++o, ++index) {
            const std::string label = (*o)[1], rest = (*o)[2];
            std::smatch arg;
            const bool hasArg = std::regex_search(rest, arg, argSet);
            if (index == 0) {
                EXPECT_FALSE(hasArg) << id << ": the first entry passes nothing";
                EXPECT_NE(label.find("as in Velmora's settings"), std::string::npos) << label;
                continue;
            }
            ASSERT_TRUE(hasArg) << id << ": " << label;
            EXPECT_TRUE(Accepted(Words(arg[1]), options, error)) << arg[1] << ": " << error;
            ++arguments;
        }
    }
    EXPECT_EQ(selects, (std::vector<std::string>{"cats", "size", "footprints", "background",
                                                 "resolution", "tile", "monitors"}));
    EXPECT_EQ(arguments, 4 + 8 + 8 + 3 + 3 + 2 + 2);
    // Footprints in steps a user can pick, 1000 among them.
    EXPECT_NE(config.find("arg-set=\"--footprints 1000\""), std::string::npos);

    const std::regex file(R"re(<file[^>]*arg="([^"]*)")re");
    std::smatch folder;
    ASSERT_TRUE(std::regex_search(config, folder, file));
    std::string arg = folder[1];
    arg.replace(arg.find('%'), 1, "/home/user/Pictures");
    EXPECT_TRUE(Accepted(Words(arg), options, error)) << arg << ": " << error;

    // The command XScreenSaver runs draws into its window.
    EXPECT_NE(config.find("<command arg=\"--root\"/>"), std::string::npos);
    ASSERT_TRUE(ParseSaverOptions(1, std::vector<const char*>{"--root"}.data(), "0x400007", options,
                                  error));
    EXPECT_EQ(options.mode, SaverMode::WindowId);
    EXPECT_TRUE(options.xscreensaverWindow);
}

}  // namespace
