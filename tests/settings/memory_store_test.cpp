#include "host/memory_store.h"

#include <gtest/gtest.h>

#include "host/settings.h"

TEST(MemoryStore, ReadsTypedValuesAndAbsentKeysAsNothing) {
    MemoryStore store;
    EXPECT_FALSE(store.ReadString("BGPath").has_value());
    EXPECT_FALSE(store.ReadBool("TileBG"));
    EXPECT_EQ(store.ReadInteger("NumDogs"), 0);

    store.Set("NumDogs", "2");
    store.Set("DogSize", "12abc");
    store.Set("NumFootprints", "99999999999999999999999");
    store.Set("TileBG", "0");
    store.Set("MainMonitorOnly", "TRUE");
    EXPECT_EQ(store.ReadInteger("NumDogs"), 2);
    EXPECT_EQ(store.ReadInteger("DogSize"), 0);
    EXPECT_EQ(store.ReadInteger("NumFootprints"), 0);
    EXPECT_FALSE(store.ReadBool("TileBG"));
    EXPECT_TRUE(store.ReadBool("MainMonitorOnly"));

    store.WriteInteger("BGRes", -3);
    store.WriteBool("TileBG", true);
    store.WriteString("BGPath", "/pictures/");
    EXPECT_EQ(store.ReadInteger("BGRes"), -3);
    EXPECT_TRUE(store.ReadBool("TileBG"));
    EXPECT_EQ(store.ReadString("BGPath").value(), "/pictures/");
    EXPECT_TRUE(store.Synchronize());
    EXPECT_EQ(store.SynchronizeCount(), 1);
}

TEST(MemoryStore, CarriesOneOffSettingsThroughTheNormalLoading) {
    MemoryStore store;
    ASSERT_TRUE(SaveSettings(store, DefaultSettings()));
    store.WriteString("version", kSettingsVersion);
    store.Set("NumDogs", "2");
    store.Set("DogSize", "150");
    store.Set("TileBG", "0");
    SETTINGS settings;
    settings.MAIN_MONITOR_ONLY = true;
    LoadSettings(store, settings);
    EXPECT_EQ(settings.NUM_DOGS, 2);
    EXPECT_FLOAT_EQ(settings.dogSize, 1.5f);
    EXPECT_FALSE(settings.TILEBG);
    EXPECT_EQ(settings.NUM_FOOTPRINTS, DefaultSettings().NUM_FOOTPRINTS);
    EXPECT_FALSE(settings.MAIN_MONITOR_ONLY);
}
