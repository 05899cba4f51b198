#include "host/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "host/memory_store.h"
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

// Loads into a record that starts with every field changed from a fresh one's.
SETTINGS Load(PreferencesStore& store, StoreDefaults when = StoreDefaults::kAtOnce) {
    SETTINGS settings;
    settings.MAIN_MONITOR_ONLY = true;
    LoadSettings(store, settings, when);
    return settings;
}

// The writes in the order made.
std::string Writes(const RecordingStore& store) {
    std::string text;
    for (const std::string& key : store.writes) text += key + " ";
    return text;
}

const std::string kDefaults =
    "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 path=/usr/share/backgrounds/ main=0";
const std::string kDefaultWrites =
    "version MainMonitorOnly DogSize NumDogs NumFootprints BGType BGRes BGPath TileBG ";

}  // namespace

TEST(LoadSettings, AFirstRunOrAnotherVersionStoresAndUsesEveryDefault) {
    std::vector<RecordingStore> stores(1);  // nothing stored yet
    for (const char* version : {"1.0", "1.010", "", "1.01 "})
        stores.push_back(StoredUser({{"version", version}}));
    for (RecordingStore& store : stores) {
        SCOPED_TRACE(store.values["version"]);
        EXPECT_EQ(SettingsText(Load(store)), kDefaults);
        EXPECT_EQ(Writes(store), kDefaultWrites + "<sync> ");
    }
    // For the settings dialog the same defaults wait for its Save: nothing is flushed.
    RecordingStore dialog;
    EXPECT_EQ(SettingsText(Load(dialog, StoreDefaults::kWithNextSave)), kDefaults);
    EXPECT_EQ(Writes(dialog), kDefaultWrites);
}

TEST(LoadSettings, TheSameVersionKeepsStoredValuesAndWritesNothing) {
    RecordingStore user = StoredUser({{"DogSize", "150"}});
    EXPECT_EQ(SettingsText(Load(user)),
              "dogs=2 size=150/150 prints=250 tile=0 type=2 res=0 path=/home/me/Pictures main=1");
    EXPECT_TRUE(user.writes.empty());
}

TEST(LoadSettings, ValuesNoUserCouldMeanAreBroughtIntoRange) {
    const std::string huge = std::to_string(LONG_MAX), tiny = std::to_string(LONG_MIN);
    // Per key: the field it loads into and pairs of stored text and loaded value.
    const struct {
        const char* key;
        int32_t SETTINGS::*field;
        std::vector<std::pair<std::string, int32_t>> values;
    } keys[] = {
        {"NumDogs", &SETTINGS::NUM_DOGS, {{"7", 3}, {"-2", 0}, {huge, 3}}},
        {"DogSize", &SETTINGS::LDOGSIZE, {{"9", 10}, {"500", 500}, {"501", 500}, {tiny, 10}}},
        {"NumFootprints",
         &SETTINGS::NUM_FOOTPRINTS,
         {{"0", 1}, {"100001", 100000}, {"4294967297", 100000}}},
        {"BGType", &SETTINGS::BGTYPE, {{"1", 1}, {"3", 0}, {"-1", 0}}},
        {"BGRes", &SETTINGS::BGRES, {{"2", 2}, {"9", 2}, {"-1", 2}}}};
    for (const auto& k : keys)
        for (const auto& [stored, expected] : k.values) {
            SCOPED_TRACE(std::string(k.key) + "=" + stored);
            RecordingStore store = StoredUser({{k.key, stored}});
            EXPECT_EQ(Load(store).*(k.field), expected);
        }
}

TEST(LoadSettings, AFolderPathThatDoesNotFitIsIgnoredNeverCut) {
    const std::string fits = "/" + std::string(1022, 'p'), path = fits + "p";
    RecordingStore store = StoredUser({{"BGPath", fits}});
    EXPECT_EQ(std::string(Load(store).BGPath), fits);
    RecordingStore tooLong = StoredUser({{"BGPath", path}});
    // The default folder instead; everything else still loads; the store is not touched.
    EXPECT_EQ(SettingsText(Load(tooLong)),
              "dogs=2 size=80/80 prints=250 tile=0 type=2 res=0 "
              "path=/usr/share/backgrounds/ main=1");
    EXPECT_EQ(tooLong.values["BGPath"], path);
    // Setting a folder refuses the same lengths, and inner NULs, keeping the old folder.
    SETTINGS s;
    EXPECT_TRUE(SetBackgroundFolder(s, "/a"));
    EXPECT_FALSE(SetBackgroundFolder(s, std::string(1024, 'x')));
    EXPECT_FALSE(SetBackgroundFolder(s, std::string("/a\0b", 4)));
    EXPECT_STREQ(s.BGPath, "/a");
}

TEST(SaveSettings, WritesEveryValueButTheVersionInOrderThenFlushes) {
    RecordingStore user = StoredUser(), store;
    const SETTINGS s = Load(user);
    EXPECT_TRUE(SaveSettings(store, s));
    EXPECT_EQ(Writes(store),
              "MainMonitorOnly DogSize NumDogs NumFootprints TileBG BGType BGRes BGPath <sync> ");
    EXPECT_EQ(store.values.count("version"), 0u);
    // Loading again keeps the saved values, with the size factor derived from them.
    store.values["version"] = "1.01";
    EXPECT_EQ(SettingsText(Load(store)), SettingsText(s));

    // A failed flush is reported.
    store.syncSucceeds = false;
    EXPECT_FALSE(SaveSettings(store, s));
}

// One-off settings given on the command line travel in a memory store through the same
// loading; its text is read as the INI file's is.
TEST(MemoryStore, CarriesOneOffSettingsThroughTheNormalLoading) {
    MemoryStore store;
    ASSERT_TRUE(SaveSettings(store, DefaultSettings()));
    store.WriteString("version", kSettingsVersion);
    store.Set("TileBG", "0");
    store.Set("BGRes", "12abc");
    store.Set("NumFootprints", "99999999999999999999999");
    store.Set("MainMonitorOnly", "TRUE");
    EXPECT_EQ(
        SettingsText(Load(store)),
        "dogs=3 size=100/100 prints=1 tile=0 type=0 res=0 path=/usr/share/backgrounds/ main=1");
    EXPECT_FALSE(store.ReadString("Absent").has_value());
    EXPECT_EQ(store.SynchronizeCount(), 1);
}
