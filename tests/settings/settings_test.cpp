#include "host/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/system_clock.h"
#include "tests/settings/recording_store.h"
#include "tests/settings/settings_text.h"

namespace {

// A store as a user of version 1.01 left it, with the given overrides.
RecordingStore StoredUser(std::map<std::string, std::string> overrides = {}) {
    RecordingStore store;
    store.values = {{"version", "1.01"}, {"MainMonitorOnly", "true"},     {"DogSize", "80"},
                    {"NumDogs", "2"},    {"NumFootprints", "250"},        {"BGType", "2"},
                    {"BGRes", "0"},      {"BGPath", "/home/me/Pictures"}, {"TileBG", "false"}};
    for (const auto& [key, value] : overrides) store.values[key] = value;
    return store;
}

struct Loaded {
    SETTINGS settings;
    bool mainMonitorOnly = true;
};

Loaded Load(RecordingStore& store) {
    Loaded loaded;
    LoadSettings(store, loaded.settings, loaded.mainMonitorOnly);
    return loaded;
}

std::string Describe(const Loaded& l) {
    return SettingsText(l.settings, l.mainMonitorOnly);
}

// The stored values in key order, and the writes in the order made.
std::string Stored(const RecordingStore& store) {
    std::string text;
    for (const auto& [key, value] : store.values) text += key + "=" + value + " ";
    return text;
}
std::string Writes(const RecordingStore& store) {
    std::string text;
    for (const std::string& key : store.writes) text += key + " ";
    return text;
}

const std::string kDefaults =
    "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 path=/usr/share/backgrounds/ main=0";
const std::string kSaveOrder =
    "MainMonitorOnly DogSize NumDogs NumFootprints TileBG BGType BGRes BGPath <sync> ";

}  // namespace

TEST(LoadSettings, AFirstRunOrAnotherVersionStoresAndUsesEveryDefault) {
    std::vector<RecordingStore> stores(1);  // nothing stored yet
    for (const char* version : {"1.0", "1.010", "", "1.01 "})
        stores.push_back(StoredUser({{"version", version}}));
    for (RecordingStore& store : stores) {
        SCOPED_TRACE(Stored(store));
        EXPECT_EQ(Describe(Load(store)), kDefaults);
        EXPECT_EQ(Stored(store),
                  "BGPath=/usr/share/backgrounds/ BGRes=1 BGType=0 DogSize=100 "
                  "MainMonitorOnly=false NumDogs=3 NumFootprints=1000 TileBG=true version=1.01 ");
        EXPECT_EQ(Writes(store),
                  "version MainMonitorOnly DogSize NumDogs NumFootprints BGType "
                  "BGRes BGPath TileBG <sync> ");
    }
    // For the settings dialog the same defaults wait for its Save: nothing is flushed.
    RecordingStore dialog;
    Loaded loaded;
    LoadSettings(dialog, loaded.settings, loaded.mainMonitorOnly, StoreDefaults::kWithNextSave);
    EXPECT_EQ(Describe(loaded), kDefaults);
    EXPECT_EQ(Writes(dialog),
              "version MainMonitorOnly DogSize NumDogs NumFootprints BGType BGRes BGPath TileBG ");
}

TEST(LoadSettings, TheSameVersionKeepsStoredValuesAndWritesNothing) {
    RecordingStore user = StoredUser({{"DogSize", "150"}});
    EXPECT_EQ(Describe(Load(user)),
              "dogs=2 size=150/150 prints=250 tile=0 type=2 res=0 path=/home/me/Pictures main=1");
    EXPECT_TRUE(user.writes.empty());

    // Absent keys read as zero, then bounded; an absent path leaves the field as it was: empty
    // in a new record, kept in a used one.
    RecordingStore bare;
    bare.values = {{"version", "1.01"}};
    EXPECT_EQ(Describe(Load(bare)), "dogs=0 size=10/10 prints=1 tile=0 type=0 res=0 path= main=0");
    SETTINGS used;
    std::strcpy(used.BGPath, "/srv/pictures");
    bool mainOnly = true;
    LoadSettings(bare, used, mainOnly);
    EXPECT_STREQ(used.BGPath, "/srv/pictures");
    EXPECT_TRUE(bare.writes.empty());
}

TEST(LoadSettings, ValuesNoUserCouldMeanAreBroughtIntoRange) {
    const std::string huge = std::to_string(LONG_MAX), tiny = std::to_string(LONG_MIN);
    // Per key: the field it loads into and pairs of stored text and loaded value.
    const struct {
        const char* key;
        int32_t SETTINGS::*field;
        std::vector<std::pair<std::string, int32_t>> values;
    } keys[] = {
        {"NumDogs", &SETTINGS::NUM_DOGS, {{"7", 3}, {"-2", 0}, {"0", 0}, {huge, 3}}},
        {"DogSize",
         &SETTINGS::LDOGSIZE,
         {{"0", 10}, {"9", 10}, {"10", 10}, {"500", 500}, {"501", 500}, {tiny, 10}}},
        {"NumFootprints",
         &SETTINGS::NUM_FOOTPRINTS,
         {{"0", 1}, {"-40", 1}, {"100000", 100000}, {"100001", 100000}, {"4294967297", 100000}}},
        {"BGType", &SETTINGS::BGTYPE, {{"1", 1}, {"3", 0}, {"-1", 0}}},
        {"BGRes", &SETTINGS::BGRES, {{"2", 2}, {"9", 2}, {"-1", 2}}}};
    for (const auto& k : keys)
        for (const auto& [stored, expected] : k.values) {
            SCOPED_TRACE(std::string(k.key) + "=" + stored);
            RecordingStore store = StoredUser({{k.key, stored}});
            EXPECT_EQ(Load(store).settings.*(k.field), expected);
            EXPECT_TRUE(store.writes.empty());
        }
}

TEST(LoadSettings, AFolderPathThatDoesNotFitIsIgnoredNeverCut) {
    const std::string fits = "/" + std::string(1022, 'p');
    RecordingStore store = StoredUser({{"BGPath", fits}});
    EXPECT_EQ(std::string(Load(store).settings.BGPath), fits);
    for (const size_t length : {1024, 5000}) {
        const std::string path = "/" + std::string(length - 1, 'p');
        RecordingStore tooLong = StoredUser({{"BGPath", path}});
        // The default folder instead; everything else still loads; the store is not touched.
        EXPECT_EQ(Describe(Load(tooLong)),
                  "dogs=2 size=80/80 prints=250 tile=0 type=2 res=0 "
                  "path=/usr/share/backgrounds/ main=1");
        EXPECT_EQ(tooLong.values["BGPath"], path);
    }
    // Setting a folder refuses the same lengths, and inner NULs, keeping the old folder.
    SETTINGS s;
    EXPECT_TRUE(SetBackgroundFolder(s, "/a"));
    EXPECT_FALSE(SetBackgroundFolder(s, std::string(1024, 'x')));
    EXPECT_FALSE(SetBackgroundFolder(s, std::string("/a\0b", 4)));
    EXPECT_STREQ(s.BGPath, "/a");
    EXPECT_TRUE(SetBackgroundFolder(s, std::string(1023, 'y')));
    EXPECT_EQ(std::strlen(s.BGPath), 1023u);
}

TEST(SaveSettings, WritesEveryValueButTheVersionInOrderThenFlushes) {
    RecordingStore store = StoredUser();
    SETTINGS s = DefaultSettings();
    s.NUM_FOOTPRINTS = 42;
    s.NUM_DOGS = 1;
    s.LDOGSIZE = 230;
    s.TILEBG = false;
    s.BGTYPE = 1;
    s.BGRES = 2;
    SetBackgroundFolder(s, "/mnt/art");
    EXPECT_TRUE(SaveSettings(store, s, true));
    EXPECT_EQ(Writes(store), kSaveOrder);
    EXPECT_EQ(store.values["version"], "1.01");
    // Loading again keeps the saved values, with the size factor derived from them.
    EXPECT_EQ(Describe(Load(store)),
              "dogs=1 size=230/230 prints=42 tile=0 type=1 res=2 path=/mnt/art main=1");

    // A failed flush is reported; values are stored as given (the next loading clamps them).
    RecordingStore failing;
    failing.syncSucceeds = false;
    s.NUM_DOGS = 9;
    EXPECT_FALSE(SaveSettings(failing, s, false));
    EXPECT_EQ(failing.values["NumDogs"], "9");
    failing.syncSucceeds = true;
    EXPECT_TRUE(SaveSettings(failing, s, false));
}

TEST(SystemClock, MonotonicSecondsAndTheWallClockSecond) {
    SystemClock clock;
    const double first = clock.Now();
    EXPECT_GE(clock.Now(), first);
    const time_t before = std::time(nullptr);
    const uint32_t wall = clock.WallSeconds();
    const time_t after = std::time(nullptr);
    EXPECT_GE(static_cast<time_t>(wall), before);
    EXPECT_LE(static_cast<time_t>(wall), after);
}
