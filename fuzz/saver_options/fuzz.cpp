// The saver's command line and the desktop picture's URI come from files the user (or
// XScreenSaver's settings) wrote: any bytes must give an answer, never a crash.
// Input: arguments separated by NUL bytes; the first one also serves as $XSCREENSAVER_WINDOW
// and as a picture URI.
#include <cstdint>
#include <string>
#include <vector>

#include "host/saver_options.h"
#include "host/settings.h"
#include "platform/desktop_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.emplace_back();
        } else {
            words.back() += char(data[i]);
        }
    }
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    SaverOptions options;
    std::string error;
    if (ParseSaverOptions(int(argv.size()), argv.data(), words[0].c_str(), options, error)) {
        SETTINGS settings = DefaultSettings();
        ApplyRunSettings(options, settings, error);
    }
    PathFromPictureUri(words[0]);
    return 0;
}
