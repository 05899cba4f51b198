#include "platform/xscreensaver_prefs.h"

#include <cctype>
#include <map>

#include "assets/regular_file.h"

namespace {

constexpr std::uint64_t kMaxPrefsBytes = 1024 * 1024;

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "name: value" lines of an X resource file; the name is the part after the last "." or "*"
// ("*grabDesktopImages", "XScreenSaver.grabDesktopImages" and "grabDesktopImages" alike).
std::map<std::string, std::string> Resources(const std::string& path) {
    std::map<std::string, std::string> resources;
    RegularFile file;
    std::string text, reason;
    if (!file.Open(path.c_str(), kMaxPrefsBytes, reason) || !file.ReadAll(text, reason)) {
        return resources;
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = line.find(':');
        if (line.empty() || line[0] == '!' || line[0] == '#' || colon == std::string::npos)
            continue;
        std::string name = Trim(line.substr(0, colon));
        const std::size_t dot = name.find_last_of(".*");
        if (dot != std::string::npos) name.erase(0, dot + 1);
        resources.emplace(name, Trim(line.substr(colon + 1)));
    }
    return resources;
}

bool IsTrue(std::string value) {
    for (char& c : value) c = char(std::tolower(static_cast<unsigned char>(c)));
    return value == "true" || value == "yes" || value == "on" || value == "1";
}

}  // namespace

std::vector<std::string> XScreenSaverDefaultsFiles() {
    return {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver"};
}

XScreenSaverImagePrefs ReadXScreenSaverImagePrefs(const std::string& home,
                                                  const std::vector<std::string>& defaultsFiles) {
    std::vector<std::map<std::string, std::string>> layers = {Resources(home + "/.xscreensaver")};
    for (const std::string& file : defaultsFiles) layers.push_back(Resources(file));
    auto value = [&layers](const char* name) {
        for (const auto& layer : layers) {
            const auto found = layer.find(name);
            if (found != layer.end()) return found->second;
        }
        return std::string();
    };
    XScreenSaverImagePrefs prefs;
    prefs.grabDesktopImages = IsTrue(value("grabDesktopImages"));
    prefs.chooseRandomImages = IsTrue(value("chooseRandomImages"));
    prefs.imageDirectory = value("imageDirectory");
    return prefs;
}
