// Runs the real velmora-render program on the test packs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

using test_files::ReadText;

std::string Temp() {
    char pattern[] = "/tmp/velmora-render-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return "/nonexistent";
    RemoveAtExit(made);
    return made;
}

}  // namespace

TEST(RenderRun, DrawsTheSceneWritesEveryKthFrameAndReportsWhatHappened) {
    const std::string packs = WriteTestPacks();
    const std::string out = Temp();
    const RunResult run =
        Render("--resources " + packs + " --size 96x64 --frames 700 --dt 0.0285714 " +
               "--seed 7 --stats --out " + out + " --every 300");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("cats placed: 3\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("frames drawn: 700\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("footprints laid: 0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("update ms: min "), std::string::npos);
    EXPECT_NE(run.out.find("frame ms: min "), std::string::npos);
    EXPECT_NE(run.out.find("first frame with cats: frame "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("cannot"), std::string::npos) << run.out;
    const std::string first = ReadText(out + "/frame-000300.png");
    EXPECT_EQ(first.substr(1, 3), "PNG");
    EXPECT_FALSE(ReadText(out + "/frame-000600.png").empty());
    EXPECT_TRUE(ReadText(out + "/frame-000700.png").empty());
    // The picture is opaque and shows the ground picture over most of it.
    StbImageDecoder decoder;
    DecodedImage picture;
    std::string error;
    ASSERT_TRUE(decoder.DecodeFile((out + "/frame-000300.png").c_str(), picture, error)) << error;
    ASSERT_EQ(picture.width, 96);
    ASSERT_EQ(picture.channels, 4);
    uint8_t ground[3];
    GroundColour(ground);
    size_t groundPixels = 0;
    for (size_t i = 0; i < picture.pixels.size(); i += 4) {
        ASSERT_EQ(picture.pixels[i + 3], 255);
        bool near = true;
        for (int c = 0; c < 3; ++c) near = near && std::abs(picture.pixels[i + c] - ground[c]) < 30;
        groundPixels += near;
    }
    EXPECT_GT(groundPixels, picture.pixels.size() / 4 / 2);

    // One seed at a fixed frame time reproduces the scene exactly.
    const std::string again = Temp() + "/made/on/demand";
    const RunResult second = Render("--resources " + packs + " --size 96x64 --frames 300 --dt " +
                                    "0.0285714 --seed 7 --out " + again + " --every 300");
    ASSERT_EQ(second.status, 0) << second.out;
    EXPECT_EQ(ReadText(again + "/frame-000300.png"), first);
}

TEST(RenderRun, PreferencesApplyForTheRunOnly) {
    const std::string packs = WriteTestPacks();
    const RunResult run =
        Render("--resources " + packs +
               " --size 64x48 --frames 200 --dt 0.03 --seed 3 --stats --set NumDogs=1");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("cats placed: 1\n"), std::string::npos) << run.out;
    const RunResult none =
        Render("--resources " + packs +
               " --size 64x48 --frames 200 --dt 0.03 --seed 3 --stats --set NumDogs=0");
    EXPECT_NE(none.out.find("cats placed: 0\n"), std::string::npos) << none.out;
    EXPECT_NE(none.out.find("first frame with cats: none\n"), std::string::npos) << none.out;
}

TEST(RenderRun, MissingPacksAreNamedWithTheirReasonAndTheSceneGoesOn) {
    TestPackOptions noCats;
    noCats.catPack = false;
    const std::string packs = WriteTestPacks(noCats);
    // The toy comes with the cats; a damaged toy pack is named once the cats exist.
    const std::string damaged = WriteTestPacks();
    std::ofstream(damaged + "t.vlm") << "not a pack";
    const RunResult toyless =
        Render("--resources " + damaged + " --size 64x48 --frames 20 --dt 0.03 --seed 1 --stats");
    EXPECT_EQ(toyless.status, 0) << toyless.out;
    EXPECT_NE(toyless.out.find(damaged + "t.vlm: it is not a valid resource pack"),
              std::string::npos)
        << toyless.out;
    EXPECT_NE(toyless.out.find("frames drawn: 20\n"), std::string::npos);
    const RunResult run =
        Render("--resources " + packs + " --size 64x48 --frames 50 --dt 0.03 --seed 1 --stats");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find(packs + "c.vlm: it does not exist"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("frames drawn: 50\n"), std::string::npos);
    // Reported once, not once per frame.
    EXPECT_EQ(run.out.find("c.vlm", run.out.find("c.vlm") + 1), std::string::npos) << run.out;

    const RunResult empty =
        Render("--resources /nonexistent/velmora --size 32x32 --frames 3 --stats");
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.out.find("/nonexistent/velmora/pebble.courtyards"), std::string::npos);

    EXPECT_EQ(Render("--frames many").status, 2);
    EXPECT_EQ(Render("--frames 1 --out /proc/velmora").status, 1);
    const RunResult help = Render("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--every K"), std::string::npos);
}
