#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/saver_options.h"
#include "host/xscreensaver_config.h"

namespace {

// True when the saver accepts the command line `text` (words split at spaces).
bool Accepted(const std::string& text, const char* env = nullptr) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    SaverOptions options;
    std::string error;
    return ParseSaverOptions(int(argv.size()), argv.data(), env, options, error) &&
           (env == nullptr || options.xscreensaverWindow);
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
            if (index == 0) {
                EXPECT_NE(label.find("as in Velmora's settings"), std::string::npos);
            } else {
                EXPECT_TRUE(Accepted((*o)[2])) << (*o)[2];
            }
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
