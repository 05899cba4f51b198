// The preferences, one row each: the key the store keeps it under, its kind, first-run value and
// bounds, its words on the command line, and what the settings dialog, --help and XScreenSaver's
// settings show for it. Loading and saving (host/settings.cpp), the settings options of velmora
// and velmora-render (host/preference_options.cpp), the settings sheet and its dialog, and
// XScreenSaver's velmora.xml (host/xscreensaver_config.cpp, at build time) are all made from this
// table: a new preference is one row here, plus the code that uses its value.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/settings.h"

enum class PreferenceKind {
    kNumber,  // a whole number within bounds: --cats N
    kChoice,  // one of a few named values, stored as its index: --background desktop
    kSwitch,  // off or on, each state an option of its own: --no-tile, --tile
    kFolder,  // a folder path: --folder PATH
};

// A value of a choice, or a state of a switch (off first, then on).
struct PreferenceChoice {
    const char* word;   // a choice: the option's value; a switch: the whole option
    const char* label;  // what the user reads for it
};

struct Preference {
    const char* key = nullptr;  // in the store
    PreferenceKind kind = PreferenceKind::kNumber;
    // The key's place when the store is read and when first runs write the defaults (after
    // "version"), and its place when the settings are saved. A new preference takes the next
    // number in both.
    int loadedAt = 0;
    int savedAt = 0;

    // Where the value lives in the record: a number or choice, a switch, or a folder.
    int32_t SETTINGS::*number = nullptr;
    bool SETTINGS::*toggle = nullptr;
    char (SETTINGS::*folder)[sizeof(SETTINGS::BGPath)] = nullptr;

    long firstRun = 0;              // the value of a first run (a choice's index, a switch's 0/1)
    const char* firstRunText = "";  // a folder's first-run path
    long low = 0;                   // bounds of a number, the indices of a choice
    long high = 0;
    long outside = 0;  // what a stored choice that names none of the choices means

    const PreferenceChoice* choices = nullptr;
    int choiceCount = 0;

    const char* flag = nullptr;       // --flag VALUE (a switch's options are its states)
    const char* valueName = nullptr;  // the VALUE of --help
    const char* alias = nullptr;      // an older name velmora accepts, and XScreenSaver keeps
    const char* name = "";            // short: what XScreenSaver's settings write before a value
    const char* label = "";           // the settings dialog's, with its mnemonic
    const char* help = "";            // for --help (a switch's states say it themselves)
    int step = 1;                     // a number's step in the settings dialog
    const long* offered = nullptr;    // a number's values offered in XScreenSaver's settings
    int offeredCount = 0;
    // The dialog offers the control only while another preference has a given value.
    const char* enabledBy = nullptr;
    long enabledWhen = 0;

    // The rows of the table are built with these and the setters below.
    static constexpr Preference Number(const char* key, int32_t SETTINGS::*field, long firstRun,
                                       long low, long high) {
        Preference p;
        p.key = key, p.kind = PreferenceKind::kNumber, p.number = field;
        p.firstRun = firstRun, p.low = low, p.high = high;
        return p;
    }
    template <int N>
    static constexpr Preference Choice(const char* key, int32_t SETTINGS::*field, long firstRun,
                                       const PreferenceChoice (&choices)[N], long outside) {
        Preference p;
        p.key = key, p.kind = PreferenceKind::kChoice, p.number = field;
        p.firstRun = firstRun, p.low = 0, p.high = N - 1, p.outside = outside;
        p.choices = choices, p.choiceCount = N;
        return p;
    }
    static constexpr Preference Switch(const char* key, bool SETTINGS::*field, bool firstRun,
                                       const PreferenceChoice (&states)[2]) {
        Preference p;
        p.key = key, p.kind = PreferenceKind::kSwitch, p.toggle = field;
        p.firstRun = firstRun, p.low = 0, p.high = 1;
        p.choices = states, p.choiceCount = 2;
        return p;
    }
    static constexpr Preference Folder(const char* key,
                                       char (SETTINGS::*field)[sizeof(SETTINGS::BGPath)],
                                       const char* firstRun) {
        Preference p;
        p.key = key, p.kind = PreferenceKind::kFolder, p.folder = field;
        p.firstRunText = firstRun;
        return p;
    }
    constexpr Preference Stored(int loadingPlace, int savingPlace) const {
        Preference p = *this;
        p.loadedAt = loadingPlace, p.savedAt = savingPlace;
        return p;
    }
    constexpr Preference Flag(const char* option, const char* value,
                              const char* older = nullptr) const {
        Preference p = *this;
        p.flag = option, p.valueName = value, p.alias = older;
        return p;
    }
    constexpr Preference Shown(const char* shortName, const char* dialogLabel,
                               const char* helpText) const {
        Preference p = *this;
        p.name = shortName, p.label = dialogLabel, p.help = helpText;
        return p;
    }
    constexpr Preference Step(int dialogStep) const {
        Preference p = *this;
        p.step = dialogStep;
        return p;
    }
    template <int N>
    constexpr Preference Offered(const long (&values)[N]) const {
        Preference p = *this;
        p.offered = values, p.offeredCount = N;
        return p;
    }
    constexpr Preference EnabledWhile(const char* otherKey, long value) const {
        Preference p = *this;
        p.enabledBy = otherKey, p.enabledWhen = value;
        return p;
    }

    // The value of a number, choice or switch in `s` (a switch as 0 or 1), and setting it.
    long Value(const SETTINGS& s) const;
    void SetValue(SETTINGS& s, long value) const;
    // A folder's path. Setting one that does not fit whole is refused (false), keeping the old
    // one: a shortened path names another folder. So is one holding a NUL.
    const char* Text(const SETTINGS& s) const;
    bool SetText(SETTINGS& s, const std::string& text) const;
    // The value as the store writes it as text ("3", "true", a path).
    std::string StoredText(const SETTINGS& s) const;
    // The index of the choice named `word`, or -1.
    int ChoiceNamed(const std::string& word) const;
};

// The picture folder used until the user chooses another.
inline constexpr const char* kDefaultPictureFolder = "/usr/share/backgrounds/";

inline constexpr long kCatCountsOffered[] = {0, 1, 2, 3};
inline constexpr long kCatSizesOffered[] = {25, 50, 75, 100, 150, 200, 300, 500};
inline constexpr long kFootprintsOffered[] = {10, 100, 300, 1000, 3000, 10000, 30000, 100000};
inline constexpr PreferenceChoice kGrounds[] = {
    {"screen", "the screen as it was when the saver started"},
    {"desktop", "the desktop picture"},
    {"folder", "a random picture from the picture folder"}};
inline constexpr PreferenceChoice kCaptureDetails[] = {
    {"0", "up to 512 pixels (faster)"},
    {"1", "up to 1024 pixels"},
    {"2", "the largest picture the graphics card allows"}};
inline constexpr PreferenceChoice kTiling[] = {
    {"no-tile", "the ground picture shown once"},
    {"tile", "the ground picture tiled 5 x 5, fading into the distance"}};
inline constexpr PreferenceChoice kMonitors[] = {
    {"all-monitors", "cats on every monitor"},
    {"main-monitor-only", "cats on the main monitor only; the others stay black"}};

// In the order the user meets them: in the settings dialog, --help and XScreenSaver's settings.
// 100000 footprints cost about 5 MB and one quad each per frame, far more than any screen shows
// before they fade.
inline constexpr Preference kPreferences[] = {
    Preference::Number("NumDogs", &SETTINGS::NUM_DOGS, 3, 0, 3)
        .Stored(3, 3)
        .Flag("cats", "N")
        .Offered(kCatCountsOffered)
        .Shown("Cats", "Number of _cats:", "number of cats"),
    Preference::Number("DogSize", &SETTINGS::LDOGSIZE, 100, 10, 500)
        .Stored(2, 2)
        .Flag("cat-size", "PERCENT", "size")
        .Step(5)
        .Offered(kCatSizesOffered)
        .Shown("Cat size (%)", "Cat si_ze (percent):", "cat size in percent (100 is normal)"),
    Preference::Number("NumFootprints", &SETTINGS::NUM_FOOTPRINTS, 1000, 1, 100000)
        .Stored(4, 4)
        .Flag("footprints", "N")
        .Step(50)
        .Offered(kFootprintsOffered)
        .Shown("Footprints", "_Footprints on the ground:", "footprints kept on the ground"),
    Preference::Choice("BGType", &SETTINGS::BGTYPE, 0, kGrounds, 0)
        .Stored(5, 6)
        .Flag("background", "SOURCE")
        .Shown("Ground", "_Background:", "the ground picture"),
    Preference::Choice("BGRes", &SETTINGS::BGRES, 1, kCaptureDetails, 2)
        .Stored(6, 7)
        .Flag("resolution", "DETAIL")
        .EnabledWhile("BGType", 0)
        .Shown("Screen detail", "Screen capture _resolution:", "detail of the captured screen"),
    Preference::Folder("BGPath", &SETTINGS::BGPath, kDefaultPictureFolder)
        .Stored(7, 8)
        .Flag("folder", "PATH")
        .EnabledWhile("BGType", 2)
        .Shown("Picture folder", "_Picture folder:", "folder of .jpg, .gif and .png pictures"),
    Preference::Switch("TileBG", &SETTINGS::TILEBG, true, kTiling)
        .Stored(8, 5)
        .Shown("Tiling", "_Tile the ground picture and fade it into the distance", ""),
    Preference::Switch("MainMonitorOnly", &SETTINGS::MAIN_MONITOR_ONLY, false, kMonitors)
        .Stored(1, 1)
        .Shown("Monitors", "Show cats on the _main monitor only (others stay black)", ""),
};

namespace preference_detail {
constexpr bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}
}  // namespace preference_detail

// The row of `key`; in a constant expression an unknown key does not compile.
constexpr const Preference& PreferenceFor(const char* key) {
    for (const Preference& p : kPreferences) {
        if (preference_detail::SameText(p.key, key)) return p;
    }
    throw std::invalid_argument("no such preference");
}

// The row of `key`, or nullptr.
const Preference* FindPreference(const std::string& key);

// The rows in the order the store is read (and first filled), or saved.
enum class StoreOrder { kLoading, kSaving };
std::vector<const Preference*> PreferencesInOrder(StoreOrder order);

// The keys, in the table's order.
std::vector<std::string> PreferenceKeys();

// Bounds of the numbers and choices, by name, for the code and tests that name one.
inline constexpr int32_t kMinCats = int32_t(PreferenceFor("NumDogs").low);
inline constexpr int32_t kMaxCats = int32_t(PreferenceFor("NumDogs").high);
inline constexpr int32_t kMinSizePercent = int32_t(PreferenceFor("DogSize").low);
inline constexpr int32_t kMaxSizePercent = int32_t(PreferenceFor("DogSize").high);
inline constexpr int32_t kMinFootprints = int32_t(PreferenceFor("NumFootprints").low);
inline constexpr int32_t kMaxFootprints = int32_t(PreferenceFor("NumFootprints").high);
inline constexpr int32_t kMaxBackgroundType = int32_t(PreferenceFor("BGType").high);
inline constexpr int32_t kMaxResolution = int32_t(PreferenceFor("BGRes").high);
