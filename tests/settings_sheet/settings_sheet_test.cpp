#include "host/settings_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/settings/recording_store.h"

namespace {

// A view's settings as loaded from a store, with a sheet over them.
struct View {
    explicit View(RecordingStore& s) : store(s) {
        LoadSettings(store, settings, mainMonitorOnly);
        store.writes.clear();
    }
    RecordingStore& store;
    SETTINGS settings;
    bool mainMonitorOnly = false;
    SettingsSheet sheet{settings, mainMonitorOnly, store};
};

void ExpectDefaultControls(const SettingsSheet& sheet) {
    EXPECT_FALSE(sheet.oMainMonitorOnly);
    EXPECT_EQ(sheet.oDogSize, 100);
    EXPECT_EQ(sheet.oNumDogs, 3);
    EXPECT_EQ(sheet.oNumFootprints, 1000);
    EXPECT_TRUE(sheet.oTileBG);
    EXPECT_EQ(sheet.oBGType, 0);
    EXPECT_EQ(sheet.oBGRes, 1);
    EXPECT_TRUE(sheet.oBGResEnabled);
    EXPECT_FALSE(sheet.oBGPathEnabled);
}

}  // namespace

TEST(SettingsSheet, AfterAFirstRunShowsTheDefaults) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    EXPECT_TRUE(view.sheet.IsOpen());
    ExpectDefaultControls(view.sheet);
    EXPECT_EQ(view.sheet.oBGPath, "/usr/share/backgrounds/");
}

TEST(SettingsSheet, ShowsTheViewsCurrentSettings) {
    RecordingStore store;
    View view(store);
    view.mainMonitorOnly = true;
    view.settings.LDOGSIZE = 75;
    view.settings.NUM_DOGS = 1;
    view.settings.NUM_FOOTPRINTS = 20;
    view.settings.TILEBG = false;
    view.settings.BGTYPE = 2;
    view.settings.BGRES = 2;
    SetBackgroundFolder(view.settings, "/srv/cats");
    view.sheet.configureSheet();
    EXPECT_TRUE(view.sheet.oMainMonitorOnly);
    EXPECT_EQ(view.sheet.oDogSize, 75);
    EXPECT_EQ(view.sheet.oNumDogs, 1);
    EXPECT_EQ(view.sheet.oNumFootprints, 20);
    EXPECT_FALSE(view.sheet.oTileBG);
    EXPECT_EQ(view.sheet.oBGType, 2);
    EXPECT_EQ(view.sheet.oBGRes, 2);
    EXPECT_EQ(view.sheet.oBGPath, "/srv/cats");
    EXPECT_TRUE(view.sheet.oBGPathEnabled);
    EXPECT_FALSE(view.sheet.oBGResEnabled);
}

TEST(SettingsSheet, TheFolderAndResolutionDependOnTheBackgroundSource) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    struct Case {
        int source;
        bool folder;
        bool resolution;
    };
    for (const Case c : {Case{2, true, false}, Case{1, false, false}, Case{0, false, true},
                         Case{2, true, false}}) {
        view.sheet.configureSheet_update(c.source);
        EXPECT_EQ(view.sheet.oBGType, c.source);
        EXPECT_EQ(view.sheet.oBGPathEnabled, c.folder) << c.source;
        EXPECT_EQ(view.sheet.oBGResEnabled, c.resolution) << c.source;
    }
    EXPECT_TRUE(store.writes.empty());
}

TEST(SettingsSheet, SaveCopiesTheControlsIntoTheSettingsAndTheStoreInOrder) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    view.sheet.oMainMonitorOnly = true;
    view.sheet.oDogSize = 250;
    view.sheet.oNumDogs = 2;
    view.sheet.oNumFootprints = 77;
    view.sheet.oTileBG = false;
    view.sheet.configureSheet_update(2);
    view.sheet.oBGRes = 0;
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/home/me/Cats"));
    ASSERT_TRUE(view.sheet.configureSheet_save());
    EXPECT_FALSE(view.sheet.IsOpen());

    const std::vector<std::string> order = {"MainMonitorOnly", "DogSize", "NumDogs",
                                            "NumFootprints",   "TileBG",  "BGType",
                                            "BGRes",           "BGPath",  "<sync>"};
    EXPECT_EQ(store.writes, order);
    EXPECT_EQ(store.values["DogSize"], "250");
    EXPECT_EQ(store.values["BGPath"], "/home/me/Cats");
    EXPECT_EQ(store.values["MainMonitorOnly"], "true");
    EXPECT_TRUE(view.mainMonitorOnly);
    EXPECT_EQ(view.settings.LDOGSIZE, 250);
    EXPECT_EQ(view.settings.NUM_DOGS, 2);
    EXPECT_EQ(view.settings.NUM_FOOTPRINTS, 77);
    EXPECT_FALSE(view.settings.TILEBG);
    EXPECT_EQ(view.settings.BGTYPE, 2);
    EXPECT_EQ(view.settings.BGRES, 0);
    // The size factor follows only at the next loading, when a new view is made.
    EXPECT_FLOAT_EQ(view.settings.dogSize, 1.0f);
    View next(store);
    EXPECT_FLOAT_EQ(next.settings.dogSize, 2.5f);
    EXPECT_STREQ(next.settings.BGPath, "/home/me/Cats");
}

TEST(SettingsSheet, AFailedSaveIsReportedAndKeepsTheSheetOpen) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    view.sheet.oNumDogs = 1;
    store.syncSucceeds = false;
    EXPECT_FALSE(view.sheet.configureSheet_save());
    EXPECT_TRUE(view.sheet.IsOpen());
    EXPECT_EQ(view.sheet.oNumDogs, 1);  // the user's change is still there to retry
    store.syncSucceeds = true;
    EXPECT_TRUE(view.sheet.configureSheet_save());
    EXPECT_FALSE(view.sheet.IsOpen());
    EXPECT_EQ(store.values["NumDogs"], "1");
}

TEST(SettingsSheet, DefaultsThenCancelStoresNothingAndKeepsTheFolder) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/data/pictures"));
    view.sheet.oNumDogs = 1;
    view.sheet.oDogSize = 300;
    view.sheet.oMainMonitorOnly = true;
    view.sheet.oTileBG = false;
    view.sheet.oNumFootprints = 5;
    view.sheet.configureSheet_update(2);
    view.sheet.oBGRes = 2;
    const auto storedBefore = store.values;
    store.writes.clear();

    view.sheet.configureSheet_defaults();
    ExpectDefaultControls(view.sheet);
    EXPECT_EQ(view.sheet.oBGPath, "/data/pictures");
    view.sheet.configureSheet_cancel();
    EXPECT_FALSE(view.sheet.IsOpen());
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(store.values, storedBefore);
    EXPECT_EQ(view.settings.NUM_DOGS, 3);
    EXPECT_EQ(view.settings.LDOGSIZE, 100);
}

TEST(SettingsSheet, AChosenFolderThenCancelChangesTheViewButNotTheStore) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/media/usb/wallpapers"));
    EXPECT_EQ(view.sheet.oBGPath, "/media/usb/wallpapers");
    EXPECT_STREQ(view.settings.BGPath, "/media/usb/wallpapers");
    view.sheet.configureSheet_cancel();
    EXPECT_EQ(store.values["BGPath"], "/usr/share/backgrounds/");
    EXPECT_TRUE(store.writes.empty());
    view.sheet.configureSheet();
    EXPECT_EQ(view.sheet.oBGPath, "/media/usb/wallpapers");
}

TEST(SettingsSheet, AFolderPathTooLongToKeepWholeIsRefused) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    EXPECT_FALSE(view.sheet.configureSheet_bgpath("/" + std::string(1100, 'd')));
    EXPECT_EQ(view.sheet.oBGPath, "/usr/share/backgrounds/");
    EXPECT_STREQ(view.settings.BGPath, "/usr/share/backgrounds/");
    const std::string longest = "/" + std::string(1022, 'd');
    EXPECT_TRUE(view.sheet.configureSheet_bgpath(longest));
    EXPECT_EQ(view.sheet.oBGPath, longest);
}

TEST(SettingsSheet, TheWebButtonHandsTheProjectAddressToTheOpener) {
    RecordingStore store;
    View view(store);
    std::vector<std::string> opened;
    const auto opener = [&](const std::string& uri) {
        opened.push_back(uri);
        return true;
    };
    EXPECT_TRUE(view.sheet.configureSheet_openwebsite(opener));
    EXPECT_EQ(opened, std::vector<std::string>{"https://velmora.example/"});
    EXPECT_FALSE(view.sheet.configureSheet_openwebsite([](const std::string&) { return false; }));
    EXPECT_FALSE(view.sheet.configureSheet_openwebsite(nullptr));
}

TEST(SettingsSheet, PreviewArgumentsShowTheControlsWithoutSaving) {
    RecordingStore store;
    View view(store);
    view.sheet.configureSheet();
    EXPECT_EQ(
        view.sheet.PreviewArguments(4194311),
        (std::vector<std::string>{"--preview", "--window-id", "4194311", "--cats", "3", "--size",
                                  "100", "--footprints", "1000", "--background", "screen", "--tile",
                                  "--resolution", "1", "--folder", "/usr/share/backgrounds/"}));
    view.sheet.oNumDogs = 0;
    view.sheet.oDogSize = 480;
    view.sheet.oNumFootprints = 12;
    view.sheet.oTileBG = false;
    view.sheet.oMainMonitorOnly = true;
    view.sheet.configureSheet_update(2);
    view.sheet.oBGRes = 2;
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/a folder/with spaces"));
    EXPECT_EQ(view.sheet.PreviewArguments(7),
              (std::vector<std::string>{"--preview", "--window-id", "7", "--cats", "0", "--size",
                                        "480", "--footprints", "12", "--background", "folder",
                                        "--no-tile", "--resolution", "2", "--folder",
                                        "/a folder/with spaces", "--main-monitor-only"}));
    view.sheet.configureSheet_update(1);
    EXPECT_EQ(view.sheet.PreviewArguments(7)[10], "desktop");
    // Only the chosen folder reached the view; the store saw nothing.
    EXPECT_TRUE(store.writes.empty());
}
