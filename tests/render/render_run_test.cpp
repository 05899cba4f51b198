// Runs the real velmora-render program on the test packs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/stb_image_decoder.h"
#include "scene_fixture.h"
#include "tests/support/test_files.h"

namespace {

struct RunResult {
    int status = -1;
    std::string out;
};

// Runs the renderer with `args`; standard error joins standard output.
RunResult Render(const std::string& args) {
    const std::string command = std::string(VELMORA_BIN_DIR) + "/velmora-render " + args + " 2>&1";
    RunResult run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST(RenderRun, DrawsTheSceneWritesEveryKthFrameAndReportsWhatHappened) {
    const std::string packs = WriteTestPacks();
    const std::string out = packs + "frames";
    const std::string scene = "--resources " + packs + " --size 96x64 --dt 0.0285714 --seed 7 ";
    const RunResult run = Render(scene + "--frames 700 --stats --out " + out + " --every 300");
    ASSERT_EQ(run.status, 0) << run.out;
    for (const char* line : {"cats placed: 3\n", "frames drawn: 700\n", "frame ms: min ",
                             "first frame with cats: frame "}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
    EXPECT_EQ(run.out.find("cannot"), std::string::npos) << run.out;
    const std::string first = test_files::ReadText(out + "/frame-000300.png");
    EXPECT_FALSE(test_files::ReadText(out + "/frame-000600.png").empty());
    EXPECT_TRUE(test_files::ReadText(out + "/frame-000700.png").empty());
    // The picture is opaque and shows the ground picture over most of it.
    StbImageDecoder decoder;
    DecodedImage picture;
    std::string error;
    ASSERT_TRUE(decoder.DecodeFile((out + "/frame-000300.png").c_str(), picture, error)) << error;
    ASSERT_EQ(std::make_pair(picture.width, picture.channels), std::make_pair(96, 4));
    uint8_t ground[3];
    GroundColour(ground);
    size_t groundPixels = 0;
    for (size_t i = 0; i < picture.pixels.size(); i += 4) {
        const uint8_t* p = &picture.pixels[i];
        ASSERT_EQ(p[3], 255);
        groundPixels += std::max({std::abs(p[0] - ground[0]), std::abs(p[1] - ground[1]),
                                  std::abs(p[2] - ground[2])}) < 30;
    }
    EXPECT_GT(groundPixels, picture.pixels.size() / 4 / 2);

    // One seed at a fixed frame time reproduces the scene exactly; preferences apply for the run.
    const std::string again = packs + "made/on/demand";
    const RunResult one = Render(scene + "--frames 200 --stats --set NumDogs=1");
    EXPECT_NE(one.out.find("cats placed: 1\n"), std::string::npos) << one.out;
    const RunResult second = Render(scene + "--frames 300 --out " + again + " --every 300");
    ASSERT_EQ(second.status, 0) << second.out;
    EXPECT_EQ(test_files::ReadText(again + "/frame-000300.png"), first);
}

TEST(RenderRun, MissingPacksAreNamedWithTheirReasonAndTheSceneGoesOn) {
    TestPackOptions noCats;
    noCats.catPack = false;
    const std::string packs = WriteTestPacks(noCats);
    const RunResult run =
        Render("--resources " + packs + " --size 64x48 --frames 50 --dt 0.03 --seed 1 --stats");
    EXPECT_EQ(run.status, 0) << run.out;
    const size_t named = run.out.find(packs + pack_layout::kCatPack + ": it does not exist");
    EXPECT_NE(named, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("frames drawn: 50\n"), std::string::npos);
    // Reported once, not once per frame.
    EXPECT_EQ(run.out.find(pack_layout::kCatPack, named + packs.size() + 1), std::string::npos)
        << run.out;

    EXPECT_EQ(Render("--frames many").status, 2);
    EXPECT_EQ(Render("--frames 1 --out /proc/velmora").status, 1);
    EXPECT_NE(Render("--help").out.find("--every K"), std::string::npos);
}
