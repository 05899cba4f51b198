#include "host/settings.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "host/alert.h"

namespace {

constexpr bool kDefaultMainMonitorOnly = false;
constexpr int32_t kDefaultSizePercent = 100;
constexpr int32_t kDefaultCats = 3;
constexpr int32_t kDefaultFootprints = 1000;
constexpr int32_t kDefaultBackgroundType = 0;
constexpr int32_t kDefaultResolution = 1;
constexpr bool kDefaultTile = true;

// Stored integers are longs; anything beyond int32 is out of every bound anyway.
int32_t Clamp(long value, int32_t low, int32_t high) {
    return static_cast<int32_t>(std::clamp<long>(value, low, high));
}

void WriteDefaults(PreferencesStore& store, StoreDefaults when) {
    store.WriteString("version", kSettingsVersion);
    store.WriteBool("MainMonitorOnly", kDefaultMainMonitorOnly);
    store.WriteInteger("DogSize", kDefaultSizePercent);
    store.WriteInteger("NumDogs", kDefaultCats);
    store.WriteInteger("NumFootprints", kDefaultFootprints);
    store.WriteInteger("BGType", kDefaultBackgroundType);
    store.WriteInteger("BGRes", kDefaultResolution);
    store.WriteString("BGPath", kDefaultPictureFolder);
    store.WriteBool("TileBG", kDefaultTile);
    // A failed flush changes nothing here: the defaults are used either way and are written
    // again on the next loading. A store that could not be read refuses the flush, so the
    // user's file is never replaced by defaults it was not read for.
    if (when == StoreDefaults::kAtOnce) store.Synchronize();
}

// Keeps every value inside what the scene can use. Resolution values other than 0 and 1 all mean
// "the largest texture", so they become 2; an unknown background source becomes the screen.
void ApplyBounds(SETTINGS& s) {
    s.NUM_DOGS = std::clamp(s.NUM_DOGS, kMinCats, kMaxCats);
    s.LDOGSIZE = std::clamp(s.LDOGSIZE, kMinSizePercent, kMaxSizePercent);
    s.NUM_FOOTPRINTS = std::clamp(s.NUM_FOOTPRINTS, kMinFootprints, kMaxFootprints);
    if (s.BGTYPE < 0 || s.BGTYPE > kMaxBackgroundType) s.BGTYPE = 0;
    if (s.BGRES != 0 && s.BGRES != 1) s.BGRES = kMaxResolution;
}

}  // namespace

SETTINGS DefaultSettings() {
    SETTINGS s;
    s.NUM_FOOTPRINTS = kDefaultFootprints;
    s.NUM_DOGS = kDefaultCats;
    s.LDOGSIZE = kDefaultSizePercent;
    s.TILEBG = kDefaultTile;
    s.dogSize = static_cast<float>(kDefaultSizePercent / 100.0);
    s.BGTYPE = kDefaultBackgroundType;
    SetBackgroundFolder(s, kDefaultPictureFolder);
    s.BGRES = kDefaultResolution;
    return s;
}

bool SetBackgroundFolder(SETTINGS& settings, const std::string& folder) {
    // An embedded NUL would silently shorten the path as well.
    if (folder.size() > kMaxPathLength || folder.find('\0') != std::string::npos) return false;
    std::memcpy(settings.BGPath, folder.c_str(), folder.size() + 1);
    return true;
}

void LoadSettings(PreferencesStore& store, SETTINGS& settings, bool& mainMonitorOnly,
                  StoreDefaults when) {
    // Read every key first, in the stored order, then decide on the version.
    const std::optional<std::string> version = store.ReadString("version");
    mainMonitorOnly = store.ReadBool("MainMonitorOnly");
    const int32_t lowest = std::numeric_limits<int32_t>::min();
    const int32_t highest = std::numeric_limits<int32_t>::max();
    settings.LDOGSIZE = Clamp(store.ReadInteger("DogSize"), lowest, highest);
    settings.NUM_DOGS = Clamp(store.ReadInteger("NumDogs"), lowest, highest);
    settings.NUM_FOOTPRINTS = Clamp(store.ReadInteger("NumFootprints"), lowest, highest);
    settings.BGTYPE = Clamp(store.ReadInteger("BGType"), lowest, highest);
    settings.BGRES = Clamp(store.ReadInteger("BGRes"), lowest, highest);
    // An absent path leaves the field as it was. One that does not fit is ignored rather than
    // cut (a cut path names another folder): the default folder is used.
    const std::optional<std::string> path = store.ReadString("BGPath");
    const bool pathRefused = path && !SetBackgroundFolder(settings, *path);
    if (pathRefused) SetBackgroundFolder(settings, kDefaultPictureFolder);
    settings.TILEBG = store.ReadBool("TileBG");

    if (!version || *version != kSettingsVersion) {
        WriteDefaults(store, when);
        settings = DefaultSettings();
        mainMonitorOnly = kDefaultMainMonitorOnly;
    } else if (pathRefused) {
        // The user's folder is silently replaced otherwise; the path itself may be thousands of
        // characters, so only its length is named.
        const std::string text = "the picture folder in the settings is too long (" +
                                 std::to_string(path->size()) + " characters, at most " +
                                 std::to_string(kMaxPathLength) + ") or holds a NUL; using " +
                                 kDefaultPictureFolder;
        CurrentAlert().Report(text.c_str());
    }

    ApplyBounds(settings);
    settings.dogSize = static_cast<float>(settings.LDOGSIZE / 100.0);
}

bool SaveSettings(PreferencesStore& store, const SETTINGS& settings, bool mainMonitorOnly) {
    store.WriteBool("MainMonitorOnly", mainMonitorOnly);
    store.WriteInteger("DogSize", settings.LDOGSIZE);
    store.WriteInteger("NumDogs", settings.NUM_DOGS);
    store.WriteInteger("NumFootprints", settings.NUM_FOOTPRINTS);
    store.WriteBool("TileBG", settings.TILEBG);
    store.WriteInteger("BGType", settings.BGTYPE);
    store.WriteInteger("BGRes", settings.BGRES);
    store.WriteString("BGPath", settings.BGPath);
    return store.Synchronize();
}
