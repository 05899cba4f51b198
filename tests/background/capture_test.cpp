#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "host/settings.h"
#include "platform/headless_gl.h"
#include "tests/host_view/picture_fakes.h"
#include "tests/support/recording_alert.h"
#include "tests/support/test_files.h"

namespace {

TEST(CaptureSize, PowersOfTwoNearestInLogarithmLimitedByDetail) {
    // Detail 2 allows 2048, as long as GL allows it.
    const auto detailed = CaptureTextureSize(1920, 1200, 2, 2048);
    const auto limited = CaptureTextureSize(1920, 1200, 7, 1024);
    EXPECT_EQ(std::make_pair(detailed.width, detailed.height), std::make_pair(2048, 1024));
    EXPECT_EQ(std::make_pair(limited.width, limited.height), std::make_pair(1024, 1024));
    // The rounding point lies at 2^(n + 0.5): 1448 rounds down, 1449 up.
    for (const auto& [n, power] : {std::pair<int, int>{1448, 1024}, {1449, 2048}, {0, 1}, {3, 4}})
        EXPECT_EQ(NearestPowerOfTwo(n), power) << n;
}

TEST(CaptureTexture, ResampledUploadOrDeletionForBlackScreens) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.Create(16, 16)) << gl.Error();

    uint32_t name = 0;
    CapturedImage halves = SolidImage(600, 300, 255, 0, 0);  // red, the right half green
    for (std::size_t i = 0; i < halves.rgba.size(); i += 4)
        if (i / 4 % 600 >= 300) halves.rgba[i] = 0, halves.rgba[i + 1] = 255;
    MakeCaptureTexture(halves, 1, &name);
    ASSERT_NE(name, 0u);
    std::vector<uint8_t> texels;
    // 600 is nearer 512 than 1024 in the logarithm, 300 nearer 256.
    ASSERT_EQ(TextureSize(name, &texels), std::make_pair(512, 256));
    const uint8_t* left = &texels[(100 * 512 + 10) * 4];
    const uint8_t* right = &texels[(100 * 512 + 502) * 4];
    EXPECT_TRUE(left[0] == 255 && left[1] == 0 && right[0] == 0 && right[1] == 255);

    // The same name is reused when one is given.
    const uint32_t given = name;
    MakeCaptureTexture(SolidImage(64, 64, 9, 9, 9), 0, &name);
    EXPECT_EQ(name, given);

    // A black screen (or one that could not be read) deletes the texture and reports 0; black is
    // a matter of colour, not alpha.
    MakeCaptureTexture(SolidImage(320, 200, 0, 0, 0), 1, &name);
    EXPECT_EQ(name, 0u);
    EXPECT_FALSE(glIsTexture(given));

    CapturedImage truncated = SolidImage(64, 64, 9, 9, 9);
    truncated.rgba.resize(100);
    MakeCaptureTexture(truncated, 1, &name);
    EXPECT_EQ(name, 0u);
}

TEST(DesktopPicture, DesktopChoiceOrTheShippedPicture) {
    const std::string fallback = "/usr/share/velmora/fallback.jpg";
    // Too short to be a picture's path ("/a.jp" is the shortest taken), or too long.
    for (const std::string& path : {std::string(), std::string("/a.j"), std::string("/a.jp"),
                                    "/" + std::string(2000, 'x') + ".png"}) {
        FakeDesktop lookup(path);
        EXPECT_EQ(DesktopPicturePath(&lookup, 3, fallback), path == "/a.jp" ? path : fallback);
        EXPECT_EQ(lookup.asked, std::vector<int>{3}) << "the picture of screen 3 is asked for";
    }
    EXPECT_EQ(DesktopPicturePath(nullptr, 0, fallback), fallback);
}

class GroundPicture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(16, 16)) << gl_.Error();
        SetImageDecoder(&decoder_);
        for (const char* name : {"a.jpg", "b.png", "c.gif", "d.png"})
            test_files::WriteText(folder_ / name, "x");
    }
    void TearDown() override { SetImageDecoder(nullptr); }

    // Loads the ground of `source` (1 desktop, 2 folder), keeping what was asked and said.
    bool Load(int source, const std::string& folder) {
        SETTINGS settings = DefaultSettings();
        settings.BGTYPE = source;
        EXPECT_TRUE(SetBackgroundFolder(settings, folder));
        decoder_.paths.clear(), alert_.lines.clear();
        Texture ground;
        const bool loaded = LoadGroundPicture(settings, sources_, ground);
        EXPECT_EQ(loaded, ground.texID != 0);
        return loaded;
    }

    HeadlessGL gl_;
    FakeDecoder decoder_;
    FakeDesktop desktop_{"/desk/sea.png"};
    FakeCapture backdrop_;
    GroundPictureSources sources_{&desktop_, &backdrop_, 0, {}, "/res/fallback.jpg"};
    RecordingAlert alert_;
    test_files::ScratchFolder folder_;
};

TEST_F(GroundPicture, AFolderGivesOtherPicturesATryThenTheDesktopsThenTheShippedOne) {
    const std::string folder = folder_.Path();
    // {source, folder, the one picture the decoder reads, backdrop readable, pictures asked for,
    // lines said, the last line said}
    const std::tuple<int, std::string, std::string, bool, std::size_t, std::size_t, std::string>
        cases[] = {
            {2, folder, "/desk/sea.png", false, 4, 3, "not a picture; showing the desktop picture"},
            // Said as it is: not "does not exist" for a loop of links, nor "holds no pictures".
            {2, folder + "/loop-a", "/desk/sea.png", false, 1, 1,
             "/loop-a: is a loop of symbolic links; showing the desktop picture instead"},
            {2, folder + "/empty", "/res/fallback.jpg", false, 2, 1,
             "/empty: holds no .jpg, .png or .gif file; showing the shipped"},
            {1, folder, "", true, 1, 1,
             "desktop picture /desk/sea.png: not a picture; showing the desktop's background"},
            {1, folder, "", false, 2, 2,
             "shipped picture /res/fallback.jpg: not a picture; the ground stays bare"},
        };
    std::filesystem::create_directory(folder_ / "empty");
    std::filesystem::create_directory_symlink(folder_ / "loop-b", folder_ / "loop-a");
    std::filesystem::create_directory_symlink(folder_ / "loop-a", folder_ / "loop-b");
    backdrop_.image = SolidImage(640, 480, 30, 90, 200);
    for (const auto& [source, from, readable, backdrop, asked, said, lastSaid] : cases) {
        SCOPED_TRACE(lastSaid);
        decoder_.readable = {readable};
        backdrop_.succeed = backdrop;
        EXPECT_EQ(Load(source, from), !readable.empty() || backdrop);
        ASSERT_EQ(decoder_.paths.size(), asked);
        EXPECT_EQ(std::set<std::string>(decoder_.paths.begin(), decoder_.paths.end()).size(), asked)
            << "a picture is tried once";
        EXPECT_TRUE(readable.empty() || decoder_.paths.back() == readable) << decoder_.paths.back();
        ASSERT_EQ(alert_.lines.size(), said);
        EXPECT_NE(alert_.lines.back().find(lastSaid), std::string::npos) << alert_.lines.back();
    }

    // Asked to end while loading: nothing more is tried and nothing said.
    decoder_.readable.clear(), decoder_.interrupt = true;
    EXPECT_FALSE(Load(2, folder));
    EXPECT_EQ(decoder_.paths.size(), 1u);
    EXPECT_TRUE(alert_.lines.empty());
}

}  // namespace
