#include "platform/wayland/wallpaper_settings.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace {

std::string Trim(const std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), ::isspace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), ::isspace).base();
    return first < last ? std::string(first, last) : std::string();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "~/x" and "$HOME/x" from the home folder, relative paths from the context's folder.
std::string ExpandPath(std::string path, const PathContext& context) {
    if (path == "~" || StartsWith(path, "~/")) {
        path = context.home + path.substr(1);
    } else if (path == "$HOME" || StartsWith(path, "$HOME/")) {
        path = context.home + path.substr(5);
    } else if (StartsWith(path, "${HOME}")) {
        path = context.home + path.substr(7);
    }
    if (!path.empty() && path[0] != '/' && !context.folder.empty()) {
        path = context.folder + "/" + path;
    }
    return path;
}

// Replaces every "$name" defined in `variables`, the longest name first ("$wall2" before
// "$wall"), as sway and hyprpaper do.
std::string ReplaceVariables(const std::string& line,
                             const std::map<std::string, std::string>& variables) {
    std::string result;
    for (std::size_t at = 0; at < line.size();) {
        if (line[at] != '$') {
            result += line[at++];
            continue;
        }
        const std::string* best = nullptr;
        std::size_t bestLength = 0;
        for (const auto& [name, value] : variables) {
            if (name.size() > bestLength && line.compare(at + 1, name.size(), name) == 0) {
                best = &value;
                bestLength = name.size();
            }
        }
        if (best == nullptr) {
            result += line[at++];
            continue;
        }
        result += *best;
        at += 1 + bestLength;
    }
    return result;
}

// Words of a sway command: runs of non-space characters, or quoted text with the quotes removed.
std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        if (at >= line.size()) break;
        std::string word;
        while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) {
            const char quote = line[at];
            if (quote == '"' || quote == '\'') {
                const std::size_t end = line.find(quote, at + 1);
                const std::size_t stop = end == std::string::npos ? line.size() : end;
                word += line.substr(at + 1, stop - at - 1);
                at = stop == line.size() ? stop : stop + 1;
            } else {
                word += line[at++];
            }
        }
        words.push_back(word);
    }
    return words;
}

bool IsSwayBackgroundMode(const std::string& word) {
    static const char* const kModes[] = {"stretch", "fill", "fit", "center", "tile", "solid_color"};
    return std::find(std::begin(kModes), std::end(kModes), word) != std::end(kModes);
}

// The background among an output's settings ("resolution 1920x1080 bg ~/w.png fill"): the
// words from "bg" up to the mode are the path, which may hold spaces.
void AddSwayBackground(const std::string& output, const std::vector<std::string>& words,
                       std::size_t from, const PathContext& context, WallpaperChoices& choices) {
    for (std::size_t i = from; i < words.size(); ++i) {
        if (words[i] != "bg" && words[i] != "background") continue;
        std::string path;
        std::size_t end = i + 1;
        for (; end < words.size() && !IsSwayBackgroundMode(words[end]); ++end) {
            path += (path.empty() ? "" : " ") + words[end];
        }
        const bool colour =
            path.empty() || path[0] == '#' || (end < words.size() && words[end] == "solid_color");
        choices.push_back({output, colour ? std::string() : ExpandPath(path, context)});
        return;
    }
}

// The lines of a sway configuration, continued lines joined and comments left out.
std::vector<std::string> SwayLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    std::string pending;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.back() == '\\') {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        line = Trim(pending + line);
        pending.clear();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

// "contain:/x.png" gives "/x.png".
std::string WithoutHyprpaperMode(const std::string& path) {
    for (const char* mode : {"contain:", "cover:", "tile:", "fill:"}) {
        if (StartsWith(path, mode)) return path.substr(std::string(mode).size());
    }
    return path;
}

}  // namespace

std::string PictureForOutput(const WallpaperChoices& choices, const std::string& outputName) {
    const WallpaperChoice* everyOutput = nullptr;
    for (auto choice = choices.rbegin(); choice != choices.rend(); ++choice) {
        if (!outputName.empty() && choice->output == outputName) return choice->path;
        if (choice->output == "*" && everyOutput == nullptr) everyOutput = &*choice;
    }
    return everyOutput ? everyOutput->path : std::string();
}

WallpaperChoices ParseSwaybgArguments(const std::vector<std::string>& arguments) {
    // One setting per output, in the order given; a colour alone means no picture.
    WallpaperChoices choices{{"*", ""}};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        auto option = [&](const char* shortName, const char* longName) {
            const std::string longOption = std::string("--") + longName;
            if (argument == shortName || argument == longOption) {
                if (i + 1 >= arguments.size()) return false;
                value = arguments[++i];
                return true;
            }
            if (StartsWith(argument, longOption + "=")) {
                value = argument.substr(longOption.size() + 1);
                return true;
            }
            if (StartsWith(argument, shortName) && argument.size() > 2) {
                value = argument.substr(2);
                return true;
            }
            return false;
        };
        if (option("-o", "output")) {
            choices.push_back({value, ""});
        } else if (option("-i", "image")) {
            choices.back().path = value;
        }
    }
    return choices;
}

WallpaperChoices ParseSwayConfig(const std::string& text, const PathContext& context) {
    WallpaperChoices choices;
    std::map<std::string, std::string> variables;
    std::string blockOutput;  // inside "output NAME { ... }"
    bool inOtherBlock = false;
    for (const std::string& raw : SwayLines(text)) {
        const std::vector<std::string> setWords = SplitWords(raw);
        if (setWords.size() >= 3 && setWords[0] == "set" && setWords[1].size() > 1 &&
            setWords[1][0] == '$') {
            const std::size_t valueAt = raw.find(setWords[1]) + setWords[1].size();
            variables[setWords[1].substr(1)] =
                ReplaceVariables(Trim(raw.substr(valueAt)), variables);
            continue;
        }
        const std::vector<std::string> words = SplitWords(ReplaceVariables(raw, variables));
        if (words.empty()) continue;
        if (!blockOutput.empty() || inOtherBlock) {
            if (words[0] == "}") {
                blockOutput.clear();
                inOtherBlock = false;
            } else if (!blockOutput.empty()) {
                AddSwayBackground(blockOutput, words, 0, context, choices);
            }
            continue;
        }
        if (words.back() == "{") {
            if (words[0] == "output" && words.size() == 3) {
                blockOutput = words[1];
            } else {
                inOtherBlock = true;
            }
            continue;
        }
        if (words[0] == "output" && words.size() > 2) {
            AddSwayBackground(words[1], words, 2, context, choices);
        }
    }
    return choices;
}

WallpaperChoices ParseHyprpaperConfig(const std::string& text, const PathContext& context) {
    WallpaperChoices choices;
    std::map<std::string, std::string> variables;
    bool inBlock = false;
    WallpaperChoice block;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        if (line == "wallpaper {" || line == "wallpaper{") {
            inBlock = true;
            block = {"*", ""};
            continue;
        }
        if (inBlock && line == "}") {
            inBlock = false;
            choices.push_back(block);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = ReplaceVariables(Trim(line.substr(equals + 1)), variables);
        if (key.size() > 1 && key[0] == '$') {
            variables[key.substr(1)] = value;
        } else if (inBlock && key == "monitor") {
            block.output = value.empty() ? "*" : value;
        } else if (inBlock && key == "path") {
            block.path = ExpandPath(WithoutHyprpaperMode(value), context);
        } else if (!inBlock && key == "wallpaper") {
            const std::size_t comma = value.find(',');
            if (comma == std::string::npos) continue;
            const std::string monitor = Trim(value.substr(0, comma));
            const std::string path = WithoutHyprpaperMode(Trim(value.substr(comma + 1)));
            choices.push_back({monitor.empty() ? "*" : monitor, ExpandPath(path, context)});
        }
    }
    return choices;
}
