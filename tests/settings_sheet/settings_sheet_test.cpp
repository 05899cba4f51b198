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
        LoadSettings(store, settings);
        store.writes.clear();
        sheet.configureSheet();
    }
    // Every control of the sheet on one line, with which of folder and resolution are enabled.
    std::string Controls() const {
        return SettingsText(sheet.shown) +
               " enabled=" + std::to_string(sheet.Enabled(PreferenceFor("BGPath"))) +
               std::to_string(sheet.Enabled(PreferenceFor("BGRes")));
    }
    RecordingStore& store;
    SETTINGS settings;
    SettingsSheet sheet{settings, store};
};

// Sets the values a user changes by hand.
void Change(SETTINGS& o, bool mainOnly, int size, int dogs, int prints, bool tile, int type,
            int res) {
    o.MAIN_MONITOR_ONLY = mainOnly, o.LDOGSIZE = size, o.NUM_DOGS = dogs;
    o.NUM_FOOTPRINTS = prints, o.TILEBG = tile, o.BGTYPE = type, o.BGRES = res;
}

}  // namespace

TEST(SettingsSheet, ShowsTheViewsCurrentSettingsOrTheFirstRunDefaults) {
    RecordingStore store;
    View view(store);
    EXPECT_TRUE(view.sheet.IsOpen());
    EXPECT_EQ(view.Controls(),
              "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 path=/usr/share/backgrounds/ "
              "main=0 enabled=01");
    Change(view.settings, true, 75, 1, 20, false, 2, 2);
    SetBackgroundFolder(view.settings, "/srv/cats");
    view.sheet.configureSheet();
    EXPECT_EQ(view.Controls(),
              "dogs=1 size=75/100 prints=20 tile=0 type=2 res=2 path=/srv/cats main=1 enabled=10");
    // The folder goes with the folder source, the resolution with the captured screen.
    view.sheet.shown.BGTYPE = 1;
    EXPECT_FALSE(view.sheet.Enabled(PreferenceFor("BGPath")) ||
                 view.sheet.Enabled(PreferenceFor("BGRes")));
    EXPECT_TRUE(store.writes.empty());
}

TEST(SettingsSheet, SaveCopiesTheControlsIntoTheSettingsAndTheStoreInOrder) {
    RecordingStore store;
    View view(store);
    Change(view.sheet.shown, true, 250, 2, 77, false, 2, 0);
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/home/me/Cats"));
    // A failed flush is reported and keeps the sheet open with the user's changes to retry.
    store.syncSucceeds = false;
    EXPECT_FALSE(view.sheet.configureSheet_save());
    EXPECT_TRUE(view.sheet.IsOpen());
    EXPECT_EQ(view.sheet.shown.NUM_DOGS, 2);
    store.syncSucceeds = true;
    store.writes.clear();
    ASSERT_TRUE(view.sheet.configureSheet_save());
    EXPECT_FALSE(view.sheet.IsOpen());
    EXPECT_EQ(store.writes,
              (std::vector<std::string>{"MainMonitorOnly", "DogSize", "NumDogs", "NumFootprints",
                                        "TileBG", "BGType", "BGRes", "BGPath", "<sync>"}));
    // The size factor follows only at the next loading, when a new view is made.
    EXPECT_EQ(SettingsText(view.settings),
              "dogs=2 size=250/100 prints=77 tile=0 type=2 res=0 path=/home/me/Cats main=1");
    EXPECT_EQ(SettingsText(View(store).settings),
              "dogs=2 size=250/250 prints=77 tile=0 type=2 res=0 path=/home/me/Cats main=1");
}

TEST(SettingsSheet, DefaultsOrAChosenFolderThenCancelStoreNothing) {
    RecordingStore store;
    View view(store);
    // A folder too long to keep whole is refused; the longest that fits is kept.
    EXPECT_FALSE(view.sheet.configureSheet_bgpath("/" + std::string(1100, 'd')));
    EXPECT_STREQ(view.settings.BGPath, "/usr/share/backgrounds/");
    EXPECT_TRUE(view.sheet.configureSheet_bgpath("/" + std::string(1022, 'd')));
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/data/pictures"));
    Change(view.sheet.shown, true, 300, 1, 5, false, 2, 2);
    const auto storedBefore = store.values;
    store.writes.clear();

    // Defaults reset every control but the folder, which only the folder button changes.
    view.sheet.configureSheet_defaults();
    EXPECT_EQ(view.Controls(),
              "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 "
              "path=/data/pictures main=0 enabled=01");
    view.sheet.configureSheet_cancel();
    EXPECT_FALSE(view.sheet.IsOpen());
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(store.values, storedBefore);
    // The chosen folder reached the view at once and stays for the next opening; nothing else
    // did.
    EXPECT_EQ(SettingsText(view.settings),
              "dogs=3 size=100/100 prints=1000 tile=1 type=0 res=1 path=/data/pictures main=0");
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
              "--preview|--window-id|4194311|--cats|3|--cat-size|100|--footprints|1000|"
              "--background|screen|--resolution|1|--folder|/usr/share/backgrounds/|--tile|"
              "--all-monitors|");
    Change(view.sheet.shown, true, 480, 0, 12, false, 2, 2);
    ASSERT_TRUE(view.sheet.configureSheet_bgpath("/a folder/with spaces"));
    EXPECT_EQ(joined(7),
              "--preview|--window-id|7|--cats|0|--cat-size|480|--footprints|12|--background|"
              "folder|--resolution|2|--folder|/a folder/with spaces|--no-tile|"
              "--main-monitor-only|");
    view.sheet.shown.BGTYPE = 1;
    EXPECT_EQ(view.sheet.PreviewArguments(7)[10], "desktop");
    EXPECT_TRUE(store.writes.empty());
}
