#include "host/settings.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <string>

#include "core/alert.h"

namespace {

// Stored integers are longs; anything beyond int32 is out of every bound anyway.
int32_t ToInt32(long value) {
    return static_cast<int32_t>(std::clamp<long>(value, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

void WriteValue(PreferencesStore& store, const Preference& p, const SETTINGS& s) {
    switch (p.kind) {
        case PreferenceKind::kSwitch:
            store.WriteBool(p.key, p.Value(s) != 0);
            break;
        case PreferenceKind::kFolder:
            store.WriteString(p.key, p.Text(s));
            break;
        default:
            store.WriteInteger(p.key, p.Value(s));
    }
}

void WriteDefaults(PreferencesStore& store, StoreDefaults when) {
    store.WriteString("version", kSettingsVersion);
    const SETTINGS defaults = DefaultSettings();
    for (const Preference* p : PreferencesInOrder(StoreOrder::kLoading))
        WriteValue(store, *p, defaults);
    // A failed flush changes nothing here: the defaults are used either way and are written
    // again on the next loading. A store that could not be read refuses the flush, so the
    // user's file is never replaced by defaults it was not read for.
    if (when == StoreDefaults::kAtOnce) store.Synchronize();
}

// Reads one value. An absent folder leaves the field as it was; one that does not fit is
// ignored rather than cut (a cut path names another folder): the first-run folder is used, and
// the refused path is returned.
std::optional<std::string> ReadValue(PreferencesStore& store, const Preference& p, SETTINGS& s) {
    switch (p.kind) {
        case PreferenceKind::kSwitch:
            p.SetValue(s, store.ReadBool(p.key));
            break;
        case PreferenceKind::kFolder: {
            const std::optional<std::string> path = store.ReadString(p.key);
            if (path && !p.SetText(s, *path)) {
                p.SetText(s, p.firstRunText);
                return path;
            }
            break;
        }
        default:
            p.SetValue(s, ToInt32(store.ReadInteger(p.key)));
    }
    return std::nullopt;
}

// Keeps every value inside what the scene can use.
void ApplyBounds(const Preference& p, SETTINGS& s) {
    const long value = p.Value(s);
    if (p.kind == PreferenceKind::kNumber) p.SetValue(s, std::clamp(value, p.low, p.high));
    if (p.kind == PreferenceKind::kChoice && (value < p.low || value > p.high))
        p.SetValue(s, p.outside);
}

void DeriveSizeFactor(SETTINGS& s) {
    s.dogSize = static_cast<float>(s.LDOGSIZE / 100.0);
}

// The user's value is silently replaced otherwise; the path itself may be thousands of
// characters, so only its length is named.
void ReportRefusedPath(const Preference& p, const std::string& path) {
    std::string what = p.name;
    what[0] = char(std::tolower(static_cast<unsigned char>(what[0])));
    const std::string text = "the " + what + " in the settings is too long (" +
                             std::to_string(path.size()) + " characters, at most " +
                             std::to_string(kMaxPathLength) + ") or holds a NUL; using " +
                             p.firstRunText;
    CurrentAlert().Report(text.c_str());
}

}  // namespace

SETTINGS DefaultSettings() {
    SETTINGS s;
    for (const Preference& p : kPreferences) {
        p.SetValue(s, p.firstRun);
        p.SetText(s, p.firstRunText);
    }
    DeriveSizeFactor(s);
    return s;
}

bool SetBackgroundFolder(SETTINGS& settings, const std::string& folder) {
    return PreferenceFor("BGPath").SetText(settings, folder);
}

void LoadSettings(PreferencesStore& store, SETTINGS& settings, StoreDefaults when) {
    // Read every key first, in the stored order, then decide on the version.
    const std::optional<std::string> version = store.ReadString("version");
    std::vector<std::pair<const Preference*, std::string>> refused;
    for (const Preference* p : PreferencesInOrder(StoreOrder::kLoading)) {
        if (auto path = ReadValue(store, *p, settings)) refused.emplace_back(p, *path);
    }

    if (!version || *version != kSettingsVersion) {
        WriteDefaults(store, when);
        settings = DefaultSettings();
    } else {
        for (const auto& [p, path] : refused) ReportRefusedPath(*p, path);
    }
    for (const Preference& p : kPreferences) ApplyBounds(p, settings);
    DeriveSizeFactor(settings);
}

bool SaveSettings(PreferencesStore& store, const SETTINGS& settings) {
    for (const Preference* p : PreferencesInOrder(StoreOrder::kSaving))
        WriteValue(store, *p, settings);
    return store.Synchronize();
}
