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

const std::string kDefaults =
    "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 path=/usr/share/backgrounds/ main=0";

const std::vector<std::string> kDefaultWrites = {
    "version", "MainMonitorOnly", "DogSize", "NumDogs", "NumFootprints",
    "BGType",  "BGRes",           "BGPath",  "TileBG",  "<sync>"};

const std::map<std::string, std::string> kDefaultValues = {{"version", "1.01"},
                                                           {"MainMonitorOnly", "false"},
                                                           {"DogSize", "100"},
                                                           {"NumDogs", "3"},
                                                           {"NumFootprints", "1000"},
                                                           {"BGType", "0"},
                                                           {"BGRes", "1"},
                                                           {"BGPath", "/usr/share/backgrounds/"},
                                                           {"TileBG", "true"}};

}  // namespace

TEST(LoadSettings, FirstRunStoresAndUsesEveryDefault) {
    RecordingStore store;
    EXPECT_EQ(Describe(Load(store)), kDefaults);
    EXPECT_EQ(store.values, kDefaultValues);
    EXPECT_EQ(store.writes, kDefaultWrites);
}

TEST(LoadSettings, AnotherVersionDiscardsEveryStoredValue) {
    for (const char* version : {"1.0", "1.010", "", "1.01 "}) {
        RecordingStore store = StoredUser({{"version", version}});
        SCOPED_TRACE(version);
        EXPECT_EQ(Describe(Load(store)), kDefaults);
        EXPECT_EQ(store.values, kDefaultValues);
        EXPECT_EQ(store.writes, kDefaultWrites);
    }
}

TEST(LoadSettings, SameVersionKeepsStoredValuesAndWritesNothing) {
    RecordingStore store = StoredUser({{"DogSize", "150"}});
    EXPECT_EQ(Describe(Load(store)),
              "dogs=2 size=150/150 prints=250 tile=0 type=2 res=0 path=/home/me/Pictures main=1");
    EXPECT_TRUE(store.writes.empty());
}

TEST(LoadSettings, ValuesNoUserCouldMeanAreBroughtIntoRange) {
    struct Case {
        const char* key;
        std::string stored;
        int32_t SETTINGS::*field;
        int32_t expected;
    };
    const std::string huge = std::to_string(LONG_MAX);
    const std::string tiny = std::to_string(LONG_MIN);
    const std::vector<Case> cases = {
        {"NumDogs", "7", &SETTINGS::NUM_DOGS, 3},
        {"NumDogs", "-2", &SETTINGS::NUM_DOGS, 0},
        {"NumDogs", "0", &SETTINGS::NUM_DOGS, 0},
        {"NumDogs", huge, &SETTINGS::NUM_DOGS, 3},
        {"DogSize", "0", &SETTINGS::LDOGSIZE, 10},
        {"DogSize", "9", &SETTINGS::LDOGSIZE, 10},
        {"DogSize", "10", &SETTINGS::LDOGSIZE, 10},
        {"DogSize", "500", &SETTINGS::LDOGSIZE, 500},
        {"DogSize", "501", &SETTINGS::LDOGSIZE, 500},
        {"DogSize", tiny, &SETTINGS::LDOGSIZE, 10},
        {"NumFootprints", "0", &SETTINGS::NUM_FOOTPRINTS, 1},
        {"NumFootprints", "-40", &SETTINGS::NUM_FOOTPRINTS, 1},
        {"NumFootprints", "100000", &SETTINGS::NUM_FOOTPRINTS, 100000},
        {"NumFootprints", "100001", &SETTINGS::NUM_FOOTPRINTS, 100000},
        {"NumFootprints", "4294967297", &SETTINGS::NUM_FOOTPRINTS, 100000},
        {"BGType", "1", &SETTINGS::BGTYPE, 1},
        {"BGType", "3", &SETTINGS::BGTYPE, 0},
        {"BGType", "-1", &SETTINGS::BGTYPE, 0},
        {"BGRes", "2", &SETTINGS::BGRES, 2},
        {"BGRes", "9", &SETTINGS::BGRES, 2},
        {"BGRes", "-1", &SETTINGS::BGRES, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
        RecordingStore store = StoredUser({{c.key, c.stored}});
        const Loaded loaded = Load(store);
        EXPECT_EQ(loaded.settings.*(c.field), c.expected);
        EXPECT_TRUE(store.writes.empty());
    }
}

TEST(LoadSettings, AbsentKeysUnderTheRightVersionReadAsZeroThenBounded) {
    RecordingStore store;
    store.values = {{"version", "1.01"}};
    // An absent path leaves the field as it was: empty in a new record, kept in a used one.
    EXPECT_EQ(Describe(Load(store)), "dogs=0 size=10/10 prints=1 tile=0 type=0 res=0 path= main=0");
    SETTINGS used;
    std::strcpy(used.BGPath, "/srv/pictures");
    bool mainOnly = true;
    LoadSettings(store, used, mainOnly);
    EXPECT_STREQ(used.BGPath, "/srv/pictures");
    EXPECT_TRUE(store.writes.empty());
}

TEST(LoadSettings, AFolderPathThatDoesNotFitIsIgnoredNeverCut) {
    const std::string fits = "/" + std::string(1022, 'p');
    const std::string tooLong = "/" + std::string(1023, 'p');
    const std::string huge = "/" + std::string(4999, 'p');
    {
        RecordingStore store = StoredUser({{"BGPath", fits}});
        EXPECT_EQ(std::string(Load(store).settings.BGPath), fits);
    }
    for (const std::string& path : {tooLong, huge}) {
        RecordingStore store = StoredUser({{"BGPath", path}});
        const Loaded loaded = Load(store);
        EXPECT_STREQ(loaded.settings.BGPath, "/usr/share/backgrounds/");
        // Everything else still loads, and the stored value is not touched.
        EXPECT_EQ(loaded.settings.NUM_FOOTPRINTS, 250);
        EXPECT_EQ(store.values["BGPath"], path);
    }
}

TEST(SetBackgroundFolder, RefusesPathsThatWouldBeShortened) {
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
    const std::vector<std::string> order = {"MainMonitorOnly", "DogSize", "NumDogs",
                                            "NumFootprints",   "TileBG",  "BGType",
                                            "BGRes",           "BGPath",  "<sync>"};
    EXPECT_EQ(store.writes, order);
    EXPECT_EQ(store.values["version"], "1.01");

    // Loading again keeps the saved values, with the size factor derived from them.
    EXPECT_EQ(Describe(Load(store)),
              "dogs=1 size=230/230 prints=42 tile=0 type=1 res=2 path=/mnt/art main=1");
}

TEST(SaveSettings, ReportsAFailedFlushAndStoresValuesAsGiven) {
    RecordingStore store;
    store.syncSucceeds = false;
    SETTINGS s = DefaultSettings();
    s.NUM_DOGS = 9;  // saving does not clamp; the next loading does
    EXPECT_FALSE(SaveSettings(store, s, false));
    EXPECT_EQ(store.values["NumDogs"], "9");
    store.syncSucceeds = true;
    EXPECT_TRUE(SaveSettings(store, s, false));
}

TEST(SystemClock, MonotonicSecondsAndTheWallClockSecond) {
    SystemClock clock;
    const double first = clock.Now();
    const double second = clock.Now();
    EXPECT_GE(second, first);
    const time_t before = std::time(nullptr);
    const uint32_t wall = clock.WallSeconds();
    const time_t after = std::time(nullptr);
    EXPECT_GE(static_cast<time_t>(wall), before);
    EXPECT_LE(static_cast<time_t>(wall), after);
}
