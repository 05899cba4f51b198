#include "host/preference_options.h"

#include "host/memory_store.h"
#include "host/settings.h"

namespace {

// "a, b or c"
std::string Alternatives(const Preference& p) {
    std::string text;
    for (int i = 0; i < p.choiceCount; ++i) {
        text += (i == 0                   ? ""
                 : i + 1 == p.choiceCount ? " or "
                                          : ", ") +
                std::string(p.choices[i].word);
    }
    return text;
}

bool NamesOption(const Preference& p, const std::string& name, bool withAliases) {
    return (p.flag && name == p.flag) || (withAliases && p.alias && name == p.alias);
}

// The value of `p`'s option as the store writes it; false with a message when it is not one.
bool StoredValue(const Preference& p, const std::string& name, const std::string& value,
                 std::string& stored, std::string& error) {
    const std::string refusal = "--" + name + " needs ";
    const std::string given = ", not \"" + value + "\"";
    switch (p.kind) {
        case PreferenceKind::kNumber: {
            long number = 0;
            if (!ParseWholeNumber(value, p.low, p.high, number)) {
                error = refusal + "a whole number from " + std::to_string(p.low) + " to " +
                        std::to_string(p.high) + given;
                return false;
            }
            stored = std::to_string(number);
            return true;
        }
        case PreferenceKind::kChoice: {
            const int index = p.ChoiceNamed(value);
            if (index < 0) {
                error = refusal + Alternatives(p) + given;
                return false;
            }
            stored = std::to_string(index);
            return true;
        }
        default:
            stored = value;
            return true;
    }
}

OptionOutcome ReadSet(ArgumentReader& reader, PreferenceOverrides& overrides, std::string& error) {
    std::string value;
    if (!reader.Value(value, error)) return OptionOutcome::kRefused;
    const size_t equals = value.find('=');
    if (equals == std::string::npos || !FindPreference(value.substr(0, equals))) {
        error = "--set wants KEY=VALUE with a preference key, not \"" + value + "\"";
        return OptionOutcome::kRefused;
    }
    overrides.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    return OptionOutcome::kTaken;
}

// Adds one entry of --help: the option in a column of its own, then its text, wrapped.
void AddUsage(std::string& usage, const std::string& option, const std::string& text) {
    constexpr size_t kColumn = 25, kWidth = 79;
    std::string line = "  " + option;
    if (line.size() >= kColumn) {
        usage += line + "\n";
        line.clear();
    }
    line.resize(kColumn, ' ');
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (line.size() > kColumn && line.size() + 1 + word.size() > kWidth) {
            usage += line + "\n";
            line.assign(kColumn, ' ');
        }
        line += (line.size() > kColumn ? " " : "") + word;
        start = end + 1;
    }
    usage += line + "\n";
}

std::string ChoicesText(const Preference& p) {
    std::string text = std::string(p.help) + ":";
    for (int i = 0; i < p.choiceCount; ++i) {
        text += std::string(i == 0 ? " " : ", ") + p.choices[i].word + " = " + p.choices[i].label;
    }
    return text;
}

}  // namespace

OptionOutcome ReadPreferenceOption(ArgumentReader& reader, bool withAliases,
                                   PreferenceOverrides& overrides, std::string& error) {
    const std::string& name = reader.Name();
    if (name == "set") return ReadSet(reader, overrides, error);
    for (const Preference& p : kPreferences) {
        if (p.kind == PreferenceKind::kSwitch) {
            const int state = p.ChoiceNamed(name);
            if (state < 0) continue;
            if (!reader.NoValue(error)) return OptionOutcome::kRefused;
            overrides.emplace_back(p.key, state ? "true" : "false");
            return OptionOutcome::kTaken;
        }
        if (!NamesOption(p, name, withAliases)) continue;
        std::string value, stored;
        if (!reader.Value(value, error) || !StoredValue(p, name, value, stored, error))
            return OptionOutcome::kRefused;
        overrides.emplace_back(p.key, stored);
        return OptionOutcome::kTaken;
    }
    return OptionOutcome::kNotOurs;
}

bool ApplyPreferenceOverrides(const PreferenceOverrides& overrides, SETTINGS& settings,
                              std::string& error) {
    SETTINGS trial = settings;
    for (const auto& [key, text] : overrides) {
        const Preference* p = FindPreference(key);
        if (!p) {
            error = "there is no preference " + key;
            return false;
        }
        if (p->kind == PreferenceKind::kFolder && !p->SetText(trial, text)) {
            error = "the path of --" + std::string(p->flag) + " is longer than " +
                    std::to_string(kMaxPathLength) + " bytes";
            return false;
        }
    }
    // Through the loading code, so that a run's values mean what stored ones mean.
    MemoryStore store;
    SaveSettings(store, settings);
    store.WriteString("version", kSettingsVersion);
    for (const auto& [key, text] : overrides) store.Set(key, text);
    LoadSettings(store, settings);
    return true;
}

SETTINGS SettingsForOneRun(const PreferenceOverrides& overrides) {
    SETTINGS settings = DefaultSettings();
    std::string error;
    ApplyPreferenceOverrides(overrides, settings, error);
    return settings;
}

std::vector<std::string> PreferenceArguments(const SETTINGS& settings) {
    std::vector<std::string> args;
    for (const Preference& p : kPreferences) {
        const long value = p.Value(settings);
        switch (p.kind) {
            case PreferenceKind::kSwitch:
                args.push_back(std::string("--") + p.choices[value].word);
                break;
            case PreferenceKind::kChoice:
                args.insert(
                    args.end(),
                    {std::string("--") + p.flag,
                     p.choices[value >= p.low && value <= p.high ? value : p.outside].word});
                break;
            case PreferenceKind::kFolder:
                if (*p.Text(settings) != '\0')
                    args.insert(args.end(), {std::string("--") + p.flag, p.Text(settings)});
                break;
            case PreferenceKind::kNumber:
                args.insert(args.end(), {std::string("--") + p.flag, std::to_string(value)});
                break;
        }
    }
    return args;
}

std::string PreferenceUsage(bool withAliases) {
    std::string usage;
    for (const Preference& p : kPreferences) {
        const std::string option = p.flag ? std::string("--") + p.flag + " " + p.valueName : "";
        switch (p.kind) {
            case PreferenceKind::kNumber: {
                std::string text = std::string(p.help) + ", " + std::to_string(p.low) + " to " +
                                   std::to_string(p.high);
                if (withAliases && p.alias) text += " (also --" + std::string(p.alias) + ")";
                AddUsage(usage, option, text);
                break;
            }
            case PreferenceKind::kChoice:
                AddUsage(usage, option, ChoicesText(p));
                break;
            case PreferenceKind::kFolder:
                AddUsage(usage, option, p.help);
                break;
            case PreferenceKind::kSwitch:
                for (int state : {1, 0})
                    AddUsage(usage, std::string("--") + p.choices[state].word,
                             p.choices[state].label);
                break;
        }
    }
    std::string keys;
    for (const std::string& key : PreferenceKeys()) keys += (keys.empty() ? "" : ", ") + key;
    AddUsage(usage, "--set KEY=VALUE",
             "a preference with its value as the settings file writes it (numbers, true or "
             "false, a path); KEY is one of " +
                 keys);
    return usage;
}
