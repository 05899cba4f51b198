#include "platform/wallpaper_config.h"

#include <glib.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The INI-like files of Qt, KDE, GLib and nitrogen, read leniently: a line that is neither a
// section nor a key is skipped, never a reason to drop the file.
class IniText {
  public:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };

    explicit IniText(const std::string& text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            AddLine(Trim(text.substr(start, end - start)));
            start = end + 1;
        }
    }

    const std::vector<Section>& Sections() const { return sections_; }

    const Section* Find(const std::string& name) const {
        for (const Section& section : sections_) {
            if (section.name == name) return &section;
        }
        return nullptr;
    }

    static std::string Value(const Section* section, const std::string& key) {
        if (section == nullptr) return "";
        for (const auto& entry : section->keys) {
            if (entry.first == key) return entry.second;
        }
        return "";
    }

  private:
    void AddLine(const std::string& line) {
        if (line.empty() || line[0] == '#' || line[0] == ';') return;
        if (line.front() == '[' && line.back() == ']') {
            // Plasma nests sections as "[Containments][1][Wallpaper]": the name keeps the inner
            // brackets ("Containments][1][Wallpaper").
            sections_.push_back({line.substr(1, line.size() - 2), {}});
            return;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || sections_.empty()) return;
        std::string key = Trim(line.substr(0, equals));
        // KDE marks keys as "Image[$e]" (expand variables); the key is "Image".
        const std::size_t marker = key.find("[$");
        if (marker != std::string::npos) key.erase(marker);
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        sections_.back().keys.emplace_back(key, value);
    }

    std::vector<Section> sections_;
};

// The properties of an xfconf channel as "/backdrop/screen0/.../last-image" -> value, in the
// file's order.
class XfconfProperties {
  public:
    explicit XfconfProperties(const std::string& xml) {
        static const GMarkupParser parser = {&XfconfProperties::Open, &XfconfProperties::Close,
                                             nullptr, nullptr, nullptr};
        GMarkupParseContext* context =
            g_markup_parse_context_new(&parser, GMarkupParseFlags(0), this, nullptr);
        // A damaged file gives what was read before the damage.
        g_markup_parse_context_parse(context, xml.data(), gssize(xml.size()), nullptr);
        g_markup_parse_context_free(context);
    }

    std::string Value(const std::string& path) const {
        for (const auto& property : values_) {
            if (property.first == path) return property.second;
        }
        return "";
    }

    // The first property whose path ends in `suffix`.
    std::string FirstEndingIn(const std::string& suffix) const {
        for (const auto& property : values_) {
            const std::string& path = property.first;
            if (path.size() >= suffix.size() &&
                path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
                return property.second;
            }
        }
        return "";
    }

  private:
    static void Open(GMarkupParseContext*, const gchar* element, const gchar** names,
                     const gchar** values, gpointer self, GError**) {
        auto* properties = static_cast<XfconfProperties*>(self);
        if (g_strcmp0(element, "property") != 0) {
            properties->path_.emplace_back();  // keeps Close in step
            return;
        }
        std::string name, value;
        bool hasValue = false;
        for (int i = 0; names[i]; ++i) {
            if (g_strcmp0(names[i], "name") == 0) name = values[i];
            if (g_strcmp0(names[i], "value") == 0) {
                value = values[i];
                hasValue = true;
            }
        }
        const std::string parent = properties->path_.empty() ? "" : properties->path_.back();
        properties->path_.push_back(parent + "/" + name);
        if (hasValue) properties->values_.emplace_back(properties->path_.back(), value);
    }

    static void Close(GMarkupParseContext*, const gchar*, gpointer self, GError**) {
        auto* properties = static_cast<XfconfProperties*>(self);
        if (!properties->path_.empty()) properties->path_.pop_back();
    }

    std::vector<std::string> path_;
    std::vector<std::pair<std::string, std::string>> values_;
};

// The words of a shell command line as sh would split them (quotes and backslashes).
std::vector<std::string> ShellWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                word += c;
        } else if (quote == '"') {
            if (c == '"')
                quote = 0;
            else if (c == '\\' && i + 1 < line.size())
                word += line[++i];
            else
                word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '#' && !inWord) {
            break;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string XfconfWallpaper(const std::string& channelXml, const MonitorRef& monitor) {
    const XfconfProperties properties(channelXml);
    const std::string screen = "/backdrop/screen0/monitor";
    const std::string byIndex = screen + std::to_string(monitor.index);
    std::vector<std::string> monitors;
    if (!monitor.name.empty()) monitors.push_back(screen + monitor.name);
    monitors.push_back(byIndex);
    const std::string workspace = "/workspace" + std::to_string(monitor.workspace);
    std::vector<std::string> candidates;
    for (const std::string& m : monitors) candidates.push_back(m + workspace + "/last-image");
    for (const std::string& m : monitors) candidates.push_back(m + "/workspace0/last-image");
    for (const std::string& m : monitors) candidates.push_back(m + "/image-path");
    for (const std::string& path : candidates) {
        const std::string value = properties.Value(path);
        if (!value.empty()) return value;
    }
    const std::string first = properties.FirstEndingIn("/last-image");
    return first.empty() ? properties.FirstEndingIn("/image-path") : first;
}

std::string PlasmaWallpaper(const std::string& appletsrc, const MonitorRef& monitor) {
    const IniText ini(appletsrc);
    std::string fallback;
    for (const IniText::Section& section : ini.Sections()) {
        // A containment is "Containments][ID"; its picture lives in a section of its own.
        if (section.name.rfind("Containments][", 0) != 0) continue;
        if (section.name.find(']', 14) != std::string::npos) continue;
        const std::string plugin = IniText::Value(&section, "plugin");
        if (plugin == "org.kde.panel" ||
            IniText::Value(&section, "location").find_first_not_of("0") != std::string::npos) {
            continue;  // panels and other edge containments carry no wallpaper
        }
        const std::string image =
            IniText::Value(ini.Find(section.name + "][Wallpaper][org.kde.image][General"), "Image");
        if (image.empty()) continue;
        const std::string screen = IniText::Value(&section, "lastScreen");
        if (!screen.empty() && std::atoi(screen.c_str()) == monitor.plasmaScreen) return image;
        if (fallback.empty()) fallback = image;
    }
    return fallback;
}

std::string PcmanfmQtWallpaper(const std::string& settings) {
    const IniText ini(settings);
    const IniText::Section* desktop = ini.Find("Desktop");
    if (IniText::Value(desktop, "WallpaperMode") == "none") return "";
    return IniText::Value(desktop, "Wallpaper");
}

std::string PcmanfmWallpaper(const std::string& config) {
    const IniText ini(config);
    for (const char* section : {"*", "desktop"}) {
        const IniText::Section* found = ini.Find(section);
        if (IniText::Value(found, "wallpaper_mode") == "color") continue;
        const std::string picture = IniText::Value(found, "wallpaper");
        if (!picture.empty()) return picture;
    }
    return "";
}

std::string FehWallpaper(const std::string& fehbg, const MonitorRef& monitor) {
    std::size_t start = 0;
    while (start < fehbg.size()) {
        std::size_t end = fehbg.find('\n', start);
        if (end == std::string::npos) end = fehbg.size();
        const std::vector<std::string> words = ShellWords(fehbg.substr(start, end - start));
        start = end + 1;
        if (words.empty() || !(words[0] == "feh" || EndsWith(words[0], "/feh"))) continue;
        std::vector<std::string> pictures;
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "--image-bg") {
                ++i;  // its colour
            } else if (words[i].rfind("-", 0) != 0) {
                pictures.push_back(words[i]);
            }
        }
        if (pictures.empty()) return "";
        return pictures[std::size_t(monitor.index >= 0 ? monitor.index : 0) % pictures.size()];
    }
    return "";
}

std::string NitrogenWallpaper(const std::string& config, const MonitorRef& monitor) {
    const IniText ini(config);
    for (const std::string& name :
         {"xin_" + std::to_string(monitor.index), std::string("xin_-1")}) {
        const std::string file = IniText::Value(ini.Find(name), "file");
        if (!file.empty()) return file;
    }
    for (const IniText::Section& section : ini.Sections()) {
        const std::string file = IniText::Value(&section, "file");
        if (!file.empty()) return file;
    }
    return "";
}
