// Preferences no dialog would write, typed by hand or left by another program: each loads into a
// record the scene can use, and the scene set up from it runs with every number finite.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "hostile_scene.h"
#include "platform/keyfile_store.h"

namespace {

class HostileSettings : public ShippedSceneTest {
  protected:
    // A sound file's values with some of them replaced, loaded through the store and loader.
    SETTINGS Load(std::map<std::string, std::string> values) {
        values.insert({{"DogSize", "100"},
                       {"NumDogs", "3"},
                       {"NumFootprints", "1000"},
                       {"BGType", "0"},
                       {"BGRes", "1"},
                       {"BGPath", "/usr/share/backgrounds/"}});
        std::string text = std::string("[VelmoraSaver]\nversion=") + kSettingsVersion + "\n";
        for (const auto& [key, value] : values) text += key + "=" + value + "\n";
        test_files::WriteText(folder_ / "VelmoraSaver.ini", text);
        KeyFileStore store(folder_ / "VelmoraSaver.ini");
        SETTINGS settings;
        LoadSettings(store, settings);
        return settings;
    }
    // Enough frames for every cat to enter and walk a little.
    static constexpr int kFrames = 400;
    ScratchFolder folder_;
};

// The loader's bounds are its own tests' matter; here the scene runs on what they give.
TEST_F(HostileSettings, TheScenesRunOnValuesBroughtIntoRange) {
    // As large as can be written: three cats of the largest size leave prints, and the ring keeps
    // the most prints (with the few each cat's feet may have down at once).
    SceneRun run = RunScene(Load({{"NumDogs", "2147483647"},
                                  {"DogSize", "1000000"},
                                  {"NumFootprints", "2147483647"},
                                  {"BGType", "7"}}),
                            0, kFrames);
    EXPECT_EQ(run.catsPlaced, 3);
    EXPECT_FLOAT_EQ(run.dogSize, kMaxSizePercent / 100.0f);
    EXPECT_EQ(run.footprintRing, kMaxFootprints + 5 * 3);
    EXPECT_GT(run.footprintsLaid, 20);

    // Below the range: the smallest cats still leave prints, and the ring keeps one.
    run =
        RunScene(Load({{"DogSize", "-50"}, {"NumFootprints", "-1"}, {"BGRes", "-3"}}), 0, kFrames);
    EXPECT_EQ(run.catsPlaced, 3);
    EXPECT_FLOAT_EQ(run.dogSize, kMinSizePercent / 100.0f);
    EXPECT_GE(run.footprintRing, 1);
    EXPECT_LE(run.footprintRing, 1 + 5 * 3);
    EXPECT_GT(run.footprintsLaid, run.footprintRing);  // the ring wrapped and went on

    run = RunScene(Load({{"NumDogs", "-5"}}), 0, 50);
    EXPECT_EQ(run.cats, 0);
}

}  // namespace
