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
// saver accepts: a typo there would make the hack refuse to start.
TEST(XScreenSaverConfig, EveryArgumentTheDialogWritesIsAccepted) {
    const std::string config = ReadConfig();
    ASSERT_FALSE(config.empty());
    EXPECT_NE(config.find("<screensaver name=\"velmora\""), std::string::npos);
    EXPECT_NE(config.find("gl=\"yes\""), std::string::npos) << "the hack needs a GL visual";

    const std::regex number(
        R"re(<number[^>]*arg="([^"]*)"[^>]*low="([^"]*)"[^>]*high="([^"]*)"[^>]*default="([^"]*)")re");
    const std::regex fixed(R"re(arg(?:-set|-unset)?="([^"%]*)")re");
    const std::regex file(R"re(<file[^>]*arg="([^"]*)")re");
    int checked = 0;
    SaverOptions options;
    std::string error;

    for (auto it = std::sregex_iterator(config.begin(), config.end(), number);
         it != std::sregex_iterator(); ++it) {
        for (int value = 2; value <= 4; ++value) {  // low, high and default
            std::string arg = (*it)[1];
            arg.replace(arg.find('%'), 1, (*it)[value].str());
            EXPECT_TRUE(Accepted(Words(arg), options, error)) << arg << ": " << error;
            ++checked;
        }
    }
    for (auto it = std::sregex_iterator(config.begin(), config.end(), fixed);
         it != std::sregex_iterator(); ++it) {
        const std::string arg = (*it)[1];
        EXPECT_TRUE(Accepted(Words(arg), options, error)) << arg << ": " << error;
        ++checked;
    }
    for (auto it = std::sregex_iterator(config.begin(), config.end(), file);
         it != std::sregex_iterator(); ++it) {
        std::string arg = (*it)[1];
        arg.replace(arg.find('%'), 1, "/home/user/Pictures");
        EXPECT_TRUE(Accepted(Words(arg), options, error)) << arg << ": " << error;
        ++checked;
    }
    // Three numbers at three values each, the command, six choices of the two selections, the
    // two check boxes and the folder: nothing in the file went unchecked.
    EXPECT_EQ(checked, 9 + 1 + 6 + 2 + 1);

    // The command XScreenSaver runs draws into its window.
    ASSERT_TRUE(Accepted({"--root"}, options, error));
    ASSERT_TRUE(ParseSaverOptions(1, std::vector<const char*>{"--root"}.data(), "0x400007", options,
                                  error));
    EXPECT_EQ(options.mode, SaverMode::WindowId);
}

}  // namespace
