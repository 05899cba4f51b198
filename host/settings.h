// The user's settings: the SETTINGS record each view keeps, and its loading from and saving to
// the preferences store "VelmoraSaver".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/preferences_store.h"

struct SETTINGS {
    int32_t NUM_FOOTPRINTS = 0;  // footprints the cats keep on the ground
    int32_t NUM_DOGS = 0;        // number of cats, 0..3 after loading
    int32_t LDOGSIZE = 0;        // cat size in percent; 100 is the normal size
    bool TILEBG = false;         // tile the ground picture 5 x 5 and fog the distance
    float dogSize = 0.0f;        // LDOGSIZE / 100, derived on loading, never stored
    int32_t BGTYPE = 0;          // 0 captured screen, 1 desktop picture, 2 picture from BGPath
    char BGPath[1024] = {};      // folder of background pictures, NUL-terminated
    int32_t BGRES = 0;           // capture limit: 0 at most 512, 1 at most 1024, 2 the GL maximum
};

// The version of the stored values; a store holding another version is reset to the defaults.
inline constexpr const char* kSettingsVersion = "1.01";
// The picture folder used until the user chooses another.
inline constexpr const char* kDefaultPictureFolder = "/usr/share/backgrounds/";

// Bounds applied at loading to values no user could mean. The settings dialog offers the same
// ranges. 100000 footprints cost about 5 MB and one quad each per frame, far more than any
// screen shows before they fade.
inline constexpr int32_t kMinCats = 0;
inline constexpr int32_t kMaxCats = 3;
inline constexpr int32_t kMinSizePercent = 10;
inline constexpr int32_t kMaxSizePercent = 500;
inline constexpr int32_t kMinFootprints = 1;
inline constexpr int32_t kMaxFootprints = 100000;
inline constexpr int32_t kMaxBackgroundType = 2;
inline constexpr int32_t kMaxResolution = 2;
// The longest folder path the record holds (the terminating NUL takes the last byte).
inline constexpr size_t kMaxPathLength = sizeof(SETTINGS{}.BGPath) - 1;

// The values a first run uses (BGPath is the default picture folder).
SETTINGS DefaultSettings();

// Copies `folder` into BGPath when it fits; a longer path is refused (false) and BGPath kept,
// since a shortened path would name another folder.
bool SetBackgroundFolder(SETTINGS& settings, const std::string& folder);

// When loading finds no settings of this version, the defaults it puts into the store reach
// lasting storage at once (a run of the saver), or only with the next save: the settings dialog,
// whose Cancel must leave the file as it was, and the dialog's preview.
enum class StoreDefaults { kAtOnce, kWithNextSave };

// Fills the record and mainMonitorOnly from the store. A missing or different "version" resets
// every stored key to its default (flushing the store as `when` says); then dogSize is derived
// and the bounds above are applied.
void LoadSettings(PreferencesStore& store, SETTINGS& settings, bool& mainMonitorOnly,
                  StoreDefaults when = StoreDefaults::kAtOnce);

// Writes the record and mainMonitorOnly to the store ("version" is left alone) and flushes it;
// false when the values could not be written to lasting storage.
bool SaveSettings(PreferencesStore& store, const SETTINGS& settings, bool mainMonitorOnly);
