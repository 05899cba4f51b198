#include "host/settings_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/settings/recording_store.h"
#include "tests/settings/settings_text.h"

namespace {

// A view's settings as loaded from a store, with a sheet over them, opened.
struct View {
    explicit View(RecordingStore& s) : store(s) {
        LoadSettings(store, settings, mainMonitorOnly);
        store.writes.clear();
        sheet.configureSheet();
    }
    std::string Settings() const { return SettingsText(settings, mainMonitorOnly); }
    RecordingStore& store;
    SETTINGS settings;
    bool mainMonitorOnly = false;
    SettingsSheet sheet{settings, mainMonitorOnly, store};
};

// Every control of the sheet on one line.
std::string Controls(const SettingsSheet& s) {
    return "main=" + std::to_string(s.oMainMonitorOnly) + " size=" + std::to_string(s.oDogSize) +
           " dogs=" + std::to_string(s.oNumDogs) + " prints=" + std::to_string(s.oNumFootprints) +
           " tile=" + std::to_string(s.oTileBG) + " type=" + std::to_string(s.oBGType) +
           " res=" + std::to_string(s.oBGRes) + " path=" + s.oBGPath +
           " enabled=" + std::to_string(s.oBGPathEnabled) + std::to_string(s.oBGResEnabled);
}

// Sets the controls a user changes by hand; the source goes through its own handler.
void Change(SettingsSheet& s, bool mainOnly, int size, int dogs, int prints, bool tile, int type,
            int res) {
    s.oMainMonitorOnly = mainOnly, s.oDogSize = size, s.oNumDogs = dogs;
    s.oNumFootprints = prints, s.oTileBG = tile;
    s.configureSheet_update(type);
    s.oBGRes = res;
}

const std::string kDefaultControls =
    "main=0 size=100 dogs=3 prints=1000 tile=1 type=0 res=1 path=/usr/share/backgrounds/ "
    "enabled=01";

}  // namespace

TEST(SettingsSheet, ShowsTheViewsCurrentSettingsOrTheFirstRunDefaults) {
    RecordingStore store;
    View first(store);
    EXPECT_TRUE(first.sheet.IsOpen());
    EXPECT_EQ(Controls(first.sheet), kDefaultControls);

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
    EXPECT_EQ(Controls(view.sheet),
              "main=1 size=75 dogs=1 prints=20 tile=0 type=2 res=2 path=/srv/cats enabled=10");

    // The folder goes with the folder source, the resolution with the captured screen.
    const struct {
        int source;
        bool folder, resolution;
    } cases[] = {{2, true, false}, {1, false, false}, {0, false, true}, {2, true, false}};
    for (const auto& c : cases) {
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
    Change(view.sheet, true, 250, 2, 77, false, 2, 0);
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/home/me/Cats"));
    // A failed flush is reported and keeps the sheet open with the user's changes to retry.
    store.syncSucceeds = false;
    EXPECT_FALSE(view.sheet.configureSheet_save());
    EXPECT_TRUE(view.sheet.IsOpen());
    EXPECT_EQ(view.sheet.oNumDogs, 2);
    store.syncSucceeds = true;
    store.writes.clear();
    ASSERT_TRUE(view.sheet.configureSheet_save());
    EXPECT_FALSE(view.sheet.IsOpen());

    EXPECT_EQ(store.writes,
              (std::vector<std::string>{"MainMonitorOnly", "DogSize", "NumDogs", "NumFootprints",
                                        "TileBG", "BGType", "BGRes", "BGPath", "<sync>"}));
    EXPECT_EQ(store.values["DogSize"], "250");
    EXPECT_EQ(store.values["MainMonitorOnly"], "true");
    // The size factor follows only at the next loading, when a new view is made.
    EXPECT_EQ(view.Settings(),
              "dogs=2 size=250/100 prints=77 tile=0 type=2 res=0 path=/home/me/Cats main=1");
    EXPECT_EQ(View(store).Settings(),
              "dogs=2 size=250/250 prints=77 tile=0 type=2 res=0 path=/home/me/Cats main=1");
}

TEST(SettingsSheet, DefaultsOrAChosenFolderThenCancelStoreNothing) {
    RecordingStore store;
    View view(store);
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/data/pictures"));
    Change(view.sheet, true, 300, 1, 5, false, 2, 2);
    const auto storedBefore = store.values;
    store.writes.clear();

    // Defaults reset every control but the folder, which only the folder button changes.
    view.sheet.configureSheet_defaults();
    EXPECT_EQ(Controls(view.sheet),
              "main=0 size=100 dogs=3 prints=1000 tile=1 type=0 res=1 path=/data/pictures "
              "enabled=01");
    view.sheet.configureSheet_cancel();
    EXPECT_FALSE(view.sheet.IsOpen());
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(store.values, storedBefore);
    // The chosen folder reached the view at once and stays for the next opening; nothing else
    // did.
    EXPECT_EQ(view.Settings(),
              "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 path=/data/pictures main=0");
    view.sheet.configureSheet();
    EXPECT_EQ(view.sheet.oBGPath, "/data/pictures");
}

TEST(SettingsSheet, AFolderPathTooLongToKeepWholeIsRefused) {
    RecordingStore store;
    View view(store);
    EXPECT_FALSE(view.sheet.configureSheet_bgpath("/" + std::string(1100, 'd')));
    EXPECT_EQ(Controls(view.sheet), kDefaultControls);
    EXPECT_STREQ(view.settings.BGPath, "/usr/share/backgrounds/");
    const std::string longest = "/" + std::string(1022, 'd');
    EXPECT_TRUE(view.sheet.configureSheet_bgpath(longest));
    EXPECT_EQ(view.sheet.oBGPath, longest);
}

TEST(SettingsSheet, PreviewArgumentsShowTheControlsWithoutSaving) {
    RecordingStore store;
    View view(store);
    const auto joined = [&](unsigned long window) {
        std::string text;
        for (const std::string& word : view.sheet.PreviewArguments(window)) text += word + "|";
        return text;
    };
    EXPECT_EQ(joined(4194311),
              "--preview|--window-id|4194311|--cats|3|--size|100|--footprints|1000|--background|"
              "screen|--tile|--resolution|1|--folder|/usr/share/backgrounds/|");
    Change(view.sheet, true, 480, 0, 12, false, 2, 2);
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/a folder/with spaces"));
    EXPECT_EQ(joined(7),
              "--preview|--window-id|7|--cats|0|--size|480|--footprints|12|--background|folder|"
              "--no-tile|--resolution|2|--folder|/a folder/with spaces|--main-monitor-only|");
    view.sheet.configureSheet_update(1);
    EXPECT_EQ(view.sheet.PreviewArguments(7)[10], "desktop");
    // Only the chosen folder reached the view; the store saw nothing.
    EXPECT_TRUE(store.writes.empty());
}
