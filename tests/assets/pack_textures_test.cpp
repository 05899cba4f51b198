#include "assets/pack_textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "assets/tga_writer.h"
#include "platform/image_encoder.h"
#include "platform/stb_image_decoder.h"
#include "test_support.h"

namespace {

class PackTextures : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        SetImageDecoder(&decoder);
    }
    void TearDown() override {
        SetImageDecoder(nullptr);
        GLTest::TearDown();
    }
    // Loads the pack from `path`; the array lands in `textures` whatever the result.
    bool Load(const std::vector<uint8_t>& pack, PackPictures* outcome = nullptr) {
        Texture* raw = nullptr;
        count = -1;
        path = WriteTempFile("textures.vlm", pack);
        const bool loaded = LoadTexturesFromDataFile(path.c_str(), &raw, &count, outcome);
        textures.reset(raw);
        return loaded;
    }
    std::string path;
    StbImageDecoder decoder;
    std::unique_ptr<Texture[]> textures;
    int count = -1;
};

// Each image lump becomes the texture of its number, built with the mode its directory entry gives;
// other lumps leave their slot blank.
TEST_F(PackTextures, EveryImageLumpBecomesTheTextureOfItsNumber) {
    const std::vector<uint8_t> rgb = PatternPixels(5, 3, 3), rgba = PatternPixels(3, 4, 4);
    // 3 x 2, rows not 4-byte aligned; the first pixel is the colour key, the second close to it.
    const std::vector<uint8_t> small = {10, 20, 30, 10,  20, 31, 10, 20, 30,
                                        0,  0,  0,  255, 0,  0,  10, 80, 40};
    const std::vector<uint8_t> picture = {10, 20, 30, 40, 50, 60};  // top row first
    PackWriter writer;
    writer.AddLump(kLumpTGA, kTextureOpaque,
                   EncodeTGA(rgb.data(), 5, 3, 3, TgaCoding::kUncompressed));
    writer.AddLump(7, 0, {1, 2, 3});  // data between two images
    writer.AddLump(kLumpTGA, kTextureBrightnessAlpha,
                   EncodeTGA(rgba.data(), 3, 4, 4, TgaCoding::kRunLength));
    writer.AddLump(kLumpJPEG, kTextureColourKey, EncodePng(picture.data(), 1, 2, 3));
    for (const int mode : {int(kTextureColourKey), int(kTextureBrightnessAlpha), 3})
        writer.AddLump(kLumpTGA, mode, EncodeTGA(small.data(), 3, 2, 3, TgaCoding::kRunLength));
    ASSERT_TRUE(Load(writer.Build()));
    ASSERT_EQ(count, 7);
    EXPECT_EQ(ReadBack(textures[0].texID, 5, 3), WithAlpha(rgb));
    EXPECT_EQ(textures[1].texID, 0u);
    EXPECT_EQ(ReadBack(textures[2].texID, 3, 4), rgba);  // its own alpha wins over the mode
    // Decoded pictures are flipped to bottom row first, and keep no colour key.
    EXPECT_EQ(ReadBack(textures[3].texID, 1, 2),
              (std::vector<uint8_t>{40, 50, 60, 255, 10, 20, 30, 255}));
    // The colour key takes exact matches only; brightness is the brightest of R, G and B;
    // unknown modes are opaque.
    const std::vector<uint8_t> alphas[] = {
        {0, 255, 0, 255, 255, 255}, {30, 31, 30, 0, 255, 80}, std::vector<uint8_t>(6, 255)};
    for (int n = 4; n < 7; ++n)
        EXPECT_EQ(ReadBack(textures[n].texID, 3, 2), WithAlpha(small, alphas[n - 4])) << n;
    for (int n = 0; n < 7; ++n) EXPECT_EQ(textures[n].imageData, nullptr) << n;
    EXPECT_TRUE(alerts.lines.empty());
}

TEST_F(PackTextures, AnUnreadablePackLeavesTheOutputsAlone) {
    Texture* raw = reinterpret_cast<Texture*>(0x1);
    count = 7;
    PackPictures outcome;
    const std::string absent = testing::TempDir() + "absent.vlm";
    EXPECT_FALSE(LoadTexturesFromDataFile(absent.c_str(), &raw, &count, &outcome));
    EXPECT_EQ(raw, reinterpret_cast<Texture*>(0x1));
    EXPECT_EQ(count, 7);
    EXPECT_EQ(outcome.problem, "does not exist");
    EXPECT_FALSE(outcome.opened);
    EXPECT_FALSE(LoadTexturesFromDataFile(absent.c_str(), &raw, nullptr));
    ASSERT_TRUE(Load(PackWriter().Build()));  // an empty pack gives an empty array
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(alerts.lines.empty());
}

// One broken picture costs that picture: the slot stays blank, every other picture is built, and
// the decoder's complaint becomes the reason instead of a message of its own.
TEST_F(PackTextures, ADamagedPictureStaysBlankAndTheRestIsBuilt) {
    const std::vector<uint8_t> rgb = PatternPixels(2, 2, 3);
    const std::vector<uint8_t> good = EncodeTGA(rgb.data(), 2, 2, 3, TgaCoding::kUncompressed);
    std::vector<uint8_t> overrun = EncodeTGA(rgb.data(), 2, 2, 3, TgaCoding::kRunLength);
    overrun.resize(18);
    overrun.insert(overrun.end(), {0x84, 1, 2, 3});  // a run past the last pixel
    // Only the head of a 16 x 16 image, whose pixels lie in the next lump's bytes.
    const std::vector<uint8_t> pixels = PatternPixels(16, 16, 3);
    const std::vector<uint8_t> image =
        EncodeTGA(pixels.data(), 16, 16, 3, TgaCoding::kUncompressed);
    PackWriter writer;
    writer.AddLump(kLumpTGA, 0, good);
    writer.AddLump(kLumpTGA, 0, overrun);
    writer.AddLump(kLumpJPEG, 0, {0xff, 0xd8, 0xff, 0x00});  // a picture lump that is none
    writer.AddLump(kLumpTGA, 0, std::vector<uint8_t>(image.begin(), image.begin() + 18));
    writer.AddLump(7, 0, std::vector<uint8_t>(image.begin() + 18, image.end()));
    writer.AddLump(kLumpJPEG, 0, EncodePng(rgb.data(), 2, 2, 3));
    PackPictures outcome;
    ASSERT_TRUE(Load(writer.Build(), &outcome));
    ASSERT_EQ(count, 6);
    EXPECT_EQ(ReadBack(textures[0].texID, 2, 2), WithAlpha(rgb));
    EXPECT_NE(textures[5].texID, 0u);
    for (const int n : {1, 2, 3}) {
        EXPECT_EQ(textures[n].texID, 0u) << n;
        EXPECT_EQ(textures[n].imageData, nullptr) << n;
    }
    EXPECT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.damaged, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(outcome.problem, "picture 1 is damaged (Too many pixels read)");
    EXPECT_EQ(alerts.lines, std::vector<std::string>());

    // The pack repaired fills exactly the slots asked for.
    PackWriter repaired;
    for (int n = 0; n < 6; ++n) repaired.AddLump(kLumpTGA, 0, good);
    test_files::WriteBytes(path, repaired.Build());
    PackPictures again = ReloadPackPictures(path.c_str(), textures.get(), count, {1, 3, 9});
    EXPECT_TRUE(again.damaged.empty());
    EXPECT_EQ(ReadBack(textures[3].texID, 2, 2), WithAlpha(rgb));
    EXPECT_EQ(textures[2].texID, 0u);  // not asked for
    std::remove(path.c_str());
    again = ReloadPackPictures(path.c_str(), textures.get(), count, {2});
    EXPECT_FALSE(again.opened);
    EXPECT_EQ(again.problem, "does not exist");
    EXPECT_EQ(again.damaged, std::vector<int>{2});
    EXPECT_EQ(alerts.lines, std::vector<std::string>());
}

}  // namespace
