// Preferences no dialog would write, typed by hand or left by another program: each loads into a
// record the scene can use, and the scene set up from it runs with every number finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "hostile_scene.h"

namespace {

class HostileSettings : public ShippedSceneTest {
  protected:
    // The first run's values with one of them replaced.
    SETTINGS Load(const std::string& key, const std::string& value) {
        std::vector<std::pair<std::string, std::string>> values = {
            {"DogSize", "100"}, {"NumDogs", "3"}, {"NumFootprints", "1000"},
            {"BGType", "0"},    {"BGRes", "1"},   {"BGPath", "/usr/share/backgrounds/"},
            {"TileBG", "true"}};
        for (auto& entry : values) {
            if (entry.first == key) entry.second = value;
        }
        return LoadStoredValues(folder_.File("VelmoraSaver.ini"), values);
    }

    // Enough frames for every cat to enter and walk a little.
    static constexpr int kFrames = 400;
    ScratchFolder folder_;
};

void ExpectSane(const SceneRun& run) {
    EXPECT_TRUE(run.setUp);
    for (const std::string& problem : run.problems) ADD_FAILURE() << problem;
}

TEST_F(HostileSettings, CatCountsOutsideTheRangeBecomeNoneOrThree) {
    const SETTINGS negative = Load("NumDogs", "-5");
    EXPECT_EQ(negative.NUM_DOGS, 0);
    const SceneRun none = RunScene(negative, 0, kFrames);
    ExpectSane(none);
    EXPECT_EQ(none.cats, 0);
    EXPECT_EQ(none.catsPlaced, 0);
    EXPECT_EQ(none.footprintsLaid, 0);

    const SETTINGS huge = Load("NumDogs", "2147483647");
    EXPECT_EQ(huge.NUM_DOGS, 3);
    const SceneRun three = RunScene(huge, 0, kFrames);
    ExpectSane(three);
    EXPECT_EQ(three.cats, 3);
    EXPECT_EQ(three.catsPlaced, 3);
    EXPECT_GT(three.footprintsLaid, 0);
}

TEST_F(HostileSettings, FootprintCountsKeepARingOfSaneSize) {
    for (const char* value : {"0", "-1"}) {
        SCOPED_TRACE(value);
        const SETTINGS s = Load("NumFootprints", value);
        EXPECT_EQ(s.NUM_FOOTPRINTS, kMinFootprints);
        const SceneRun run = RunScene(s, 0, kFrames);
        ExpectSane(run);
        // One print kept, plus the few each cat's feet may have down at once.
        EXPECT_GE(run.footprintRing, 1);
        EXPECT_LE(run.footprintRing, 1 + 5 * 3);
        EXPECT_GT(run.footprintsLaid, run.footprintRing);  // the ring wrapped and went on
    }
    const SETTINGS most = Load("NumFootprints", "2147483647");
    EXPECT_EQ(most.NUM_FOOTPRINTS, kMaxFootprints);
    const SceneRun run = RunScene(most, 0, kFrames);
    ExpectSane(run);
    EXPECT_EQ(run.footprintRing, kMaxFootprints + 5 * 3);
}

// Every size leaves footprints: the paws' ground height grows and shrinks with the cat.
TEST_F(HostileSettings, CatSizesAreBoundedAndTheCatsStayFiniteAndLeavePrints) {
    struct Case {
        const char* stored;
        int percent;
    };
    for (const Case c : {Case{"0", kMinSizePercent}, Case{"-50", kMinSizePercent}, Case{"400", 400},
                         Case{"1000000", kMaxSizePercent}}) {
        SCOPED_TRACE(c.stored);
        const SETTINGS s = Load("DogSize", c.stored);
        EXPECT_EQ(s.LDOGSIZE, c.percent);
        EXPECT_FLOAT_EQ(s.dogSize, c.percent / 100.0f);
        const SceneRun run = RunScene(s, 0, kFrames);
        ExpectSane(run);
        EXPECT_EQ(run.cats, 3);
        EXPECT_FLOAT_EQ(run.dogSize, c.percent / 100.0f);
        EXPECT_GT(run.catsPlaced, 0);
        EXPECT_GT(run.footprintsLaid, 20);
    }
}

TEST_F(HostileSettings, UnknownSourcesAndResolutionsFallBackToWhatExists) {
    const SETTINGS source = Load("BGType", "7");
    EXPECT_EQ(source.BGTYPE, 0);  // the captured screen
    ExpectSane(RunScene(source, 0, 50));
    const SETTINGS resolution = Load("BGRes", "-3");
    EXPECT_EQ(resolution.BGRES, kMaxResolution);
    ExpectSane(RunScene(resolution, 0, 50));
    // Text where a number belongs reads as 0, as an absent key does.
    const SETTINGS text = Load("DogSize", "large");
    EXPECT_EQ(text.LDOGSIZE, kMinSizePercent);
}

TEST_F(HostileSettings, AFolderPathTooLongForTheRecordIsReplacedAndReported) {
    const std::string longPath = "/" + std::string(4999, 'p');
    testing::internal::CaptureStderr();
    const SETTINGS s = Load("BGPath", longPath);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(s.BGPath, kDefaultPictureFolder);
    // One line that names the problem, without the 5,000 characters.
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("too long"), std::string::npos) << said;
    EXPECT_LT(said.size(), 300u);
}

}  // namespace
