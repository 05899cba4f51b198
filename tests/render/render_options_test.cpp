#include "render_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "timing.h"

namespace {

bool Parse(std::vector<const char*> args, RenderOptions& o, std::string& error) {
    args.insert(args.begin(), "velmora-render");
    return ParseRenderOptions(static_cast<int>(args.size()), args.data(), o, error);
}

}  // namespace

TEST(RenderOptions, ReadsEveryOptionAndRefusesWhatItCannotUse) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--resources", "/r", "--size", "320x200", "--frames", "2100", "--dt",
                       "0.0285714", "--seed", "4294967295", "--preview", "--set", "NumDogs=2",
                       "--out", "/o", "--every", "300", "--stats"},
                      o, error))
        << error;
    EXPECT_EQ(o.resources + " " + o.outDir, "/r /o");
    EXPECT_EQ(std::vector<long>({o.width, o.height, o.frames, o.every}),
              std::vector<long>({320, 200, 2100, 300}));
    EXPECT_TRUE(o.fixedStep && o.seedGiven && o.preview && o.stats);
    EXPECT_DOUBLE_EQ(o.dt, 0.0285714);
    EXPECT_EQ(o.seed, 4294967295u);
    ASSERT_EQ(o.settings.size(), 1u);
    EXPECT_EQ(o.settings[0].first + "=" + o.settings[0].second, "NumDogs=2");
    RenderOptions defaults;
    ASSERT_TRUE(Parse({}, defaults, error));
    EXPECT_FALSE(defaults.fixedStep || defaults.seedGiven);
    EXPECT_EQ(defaults.every, 1);

    const std::vector<std::vector<const char*>> bad = {
        {"--size", "0x10"},
        {"--size", "20000x10"},
        {"--frames", "-1"},
        {"--dt", "nan"},
        {"--seed", "4294967296"},
        {"--set", "NumDogs"},
        {"--set", "Colour=3"},
        {"--every", "0"},
        {"--frames"},
        {"--bogus"},
        {"--out", ""},
    };
    for (const auto& args : bad) {
        std::string why;
        EXPECT_FALSE(Parse(args, o, why)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(why.empty());
    }
    for (const std::string& key : PreferenceKeys()) {
        EXPECT_NE(RenderUsage().find(key), std::string::npos) << key;
    }
}

TEST(RenderTiming, SummarisesMinMedianAndMax) {
    const TimingSummary odd = Summarise({5.0, 1.0, 3.0});
    EXPECT_EQ(std::vector<double>({odd.min, odd.median, odd.max}), std::vector<double>({1, 3, 5}));
    EXPECT_EQ(Summarise({4.0, 1.0, 2.0, 10.0}).median, 3.0);
    EXPECT_EQ(Summarise({}).max, 0.0);
}
