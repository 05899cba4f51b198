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

TEST(RenderOptions, ReadsEveryOption) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(
        Parse({"--resources", "/r",     "--size",     "320x200",   "--frames", "2100",      "--dt",
               "0.0285714",   "--seed", "4294967295", "--preview", "--set",    "NumDogs=2", "--set",
               "TileBG=0",    "--out",  "/o",         "--every",   "300",      "--stats"},
              o, error))
        << error;
    EXPECT_EQ(o.resources, "/r");
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 200);
    EXPECT_EQ(o.frames, 2100);
    EXPECT_TRUE(o.fixedStep);
    EXPECT_DOUBLE_EQ(o.dt, 0.0285714);
    EXPECT_TRUE(o.seedGiven);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_TRUE(o.preview);
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].first, "NumDogs");
    EXPECT_EQ(o.settings[0].second, "2");
    EXPECT_EQ(o.settings[1].first, "TileBG");
    EXPECT_EQ(o.outDir, "/o");
    EXPECT_EQ(o.every, 300);
    EXPECT_TRUE(o.stats);

    RenderOptions defaults;
    ASSERT_TRUE(Parse({}, defaults, error));
    EXPECT_FALSE(defaults.fixedStep);
    EXPECT_FALSE(defaults.seedGiven);
    EXPECT_EQ(defaults.every, 1);
}

TEST(RenderOptions, RefusesWhatItCannotUse) {
    const std::vector<std::vector<const char*>> bad = {
        {"--size", "320"},    {"--size", "0x10"},    {"--size", "20000x10"},
        {"--size", "12x-3"},  {"--frames", "-1"},    {"--frames", "ten"},
        {"--dt", "0"},        {"--dt", "2"},         {"--dt", "nan"},
        {"--dt", "inf"},      {"--seed", "-4"},      {"--seed", "4294967296"},
        {"--set", "NumDogs"}, {"--set", "Colour=3"}, {"--set", "=3"},
        {"--every", "0"},     {"--frames"},          {"--bogus"},
        {"--resources", ""},  {"--out", ""},
    };
    for (const auto& args : bad) {
        RenderOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(error.empty());
    }
    EXPECT_NE(RenderUsage().find("--set KEY=VALUE"), std::string::npos);
    for (const std::string& key : PreferenceKeys()) {
        EXPECT_NE(RenderUsage().find(key), std::string::npos) << key;
    }
}

TEST(RenderTiming, SummarisesMinMedianAndMax) {
    const TimingSummary odd = Summarise({5.0, 1.0, 3.0});
    EXPECT_EQ(odd.min, 1.0);
    EXPECT_EQ(odd.median, 3.0);
    EXPECT_EQ(odd.max, 5.0);
    const TimingSummary even = Summarise({4.0, 1.0, 2.0, 10.0});
    EXPECT_EQ(even.median, 3.0);
    const TimingSummary none = Summarise({});
    EXPECT_EQ(none.max, 0.0);
}
