#include "assets/pack_textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "assets/tga_writer.h"
#include "picture_files.h"
#include "platform/stb_image_decoder.h"
#include "test_support.h"

namespace {

std::vector<uint8_t> Opaque(const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        out.insert(out.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
    }
    return out;
}

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
    // Loads the pack; the array lands in `textures` whatever the result.
    bool Load(const std::vector<uint8_t>& pack) {
        Texture* raw = nullptr;
        count = -1;
        const bool loaded =
            LoadTexturesFromDataFile(WriteTempFile("textures.vlm", pack).c_str(), &raw, &count);
        textures.reset(raw);
        return loaded;
    }
    StbImageDecoder decoder;
    std::unique_ptr<Texture[]> textures;
    int count = -1;
};

TEST_F(PackTextures, EveryImageLumpBecomesTheTextureOfItsNumber) {
    const std::vector<uint8_t> rgb = PatternPixels(5, 3, 3);
    const std::vector<uint8_t> rgba = PatternPixels(3, 4, 4);
    std::vector<uint8_t> keyed = PatternPixels(4, 2, 3);
    keyed[9] = keyed[0], keyed[10] = keyed[1], keyed[11] = keyed[2];  // pixel 3 matches the key
    // A picture lump, top row first: the texture holds it bottom row first.
    const std::vector<uint8_t> picture = {10, 20, 30, 40, 50, 60};

    PackWriter writer;
    writer.AddLump(kLumpTGA, kTextureOpaque,
                   EncodeTGA(rgb.data(), 5, 3, 3, TgaCoding::kUncompressed));
    writer.AddLump(7, 0, {1, 2, 3});  // data between two images
    writer.AddLump(kLumpTGA, kTextureBrightnessAlpha,
                   EncodeTGA(rgba.data(), 3, 4, 4, TgaCoding::kRunLength));
    writer.AddLump(kLumpJPEG, kTextureColourKey, MakePNG(picture, 1, 2, 3));
    writer.AddLump(kLumpTGA, kTextureColourKey,
                   EncodeTGA(keyed.data(), 4, 2, 3, TgaCoding::kRunLength));
    ASSERT_TRUE(Load(writer.Build()));
    ASSERT_EQ(count, 5);

    EXPECT_EQ(ReadBack(textures[0].texID, 5, 3), Opaque(rgb));
    EXPECT_EQ(textures[1].texID, 0u);
    EXPECT_EQ(textures[1].imageData, nullptr);
    EXPECT_EQ(ReadBack(textures[2].texID, 3, 4), rgba);  // its own alpha wins over the mode
    EXPECT_EQ(ReadBack(textures[3].texID, 1, 2),
              (std::vector<uint8_t>{40, 50, 60, 255, 10, 20, 30, 255}));
    std::vector<uint8_t> expectedKeyed = Opaque(keyed);
    expectedKeyed[3] = 0;
    expectedKeyed[15] = 0;
    EXPECT_EQ(ReadBack(textures[4].texID, 4, 2), expectedKeyed);
    for (int n : {0, 2, 3, 4}) EXPECT_EQ(textures[n].imageData, nullptr) << n;
    EXPECT_TRUE(alerts.lines.empty());
}

TEST_F(PackTextures, AnUnreadablePackLeavesTheOutputsAlone) {
    Texture* raw = reinterpret_cast<Texture*>(0x1);
    count = 7;
    EXPECT_FALSE(
        LoadTexturesFromDataFile((testing::TempDir() + "absent.vlm").c_str(), &raw, &count));
    EXPECT_EQ(raw, reinterpret_cast<Texture*>(0x1));
    EXPECT_EQ(count, 7);
    ASSERT_TRUE(Load(PackWriter().Build()));  // an empty pack gives an empty array
    EXPECT_EQ(count, 0);
    std::vector<uint8_t> bad = PackWriter().Build();
    bad[0] = 'X';
    EXPECT_FALSE(Load(bad));
    EXPECT_EQ(count, -1);
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
    writer.AddLump(kLumpJPEG, 0, MakePNG(rgb, 2, 2, 3));
    const std::string path = WriteTempFile("damaged.vlm", writer.Build());
    Texture* raw = nullptr;
    PackPictures outcome;
    ASSERT_TRUE(LoadTexturesFromDataFile(path.c_str(), &raw, &count, &outcome));
    textures.reset(raw);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(ReadBack(textures[0].texID, 2, 2), Opaque(rgb));
    EXPECT_NE(textures[5].texID, 0u);
    for (const int n : {1, 2, 3}) {
        EXPECT_EQ(textures[n].texID, 0u) << n;
        EXPECT_EQ(textures[n].imageData, nullptr) << n;
    }
    EXPECT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.damaged, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(outcome.problem, "picture 1 is damaged (Too many pixels read)");
    EXPECT_TRUE(alerts.lines.empty()) << OnlyAlert();

    // Trying the damaged lumps again changes nothing while they stay damaged; the pack repaired
    // fills exactly the slots asked for.
    PackPictures again = ReloadPackPictures(path.c_str(), textures.get(), count, {3, 1});
    EXPECT_EQ(again.damaged, (std::vector<int>{3, 1}));
    EXPECT_EQ(again.problem, "picture 3 is damaged (Image larger than its data)");
    PackWriter repaired;
    for (int n = 0; n < 6; ++n) repaired.AddLump(kLumpTGA, 0, good);
    test_files::WriteBytes(path, repaired.Build());
    again = ReloadPackPictures(path.c_str(), textures.get(), count, {1, 3, 9});
    EXPECT_TRUE(again.damaged.empty());
    EXPECT_EQ(ReadBack(textures[3].texID, 2, 2), Opaque(rgb));
    EXPECT_EQ(textures[2].texID, 0u);  // not asked for
    std::remove(path.c_str());
    again = ReloadPackPictures(path.c_str(), textures.get(), count, {2});
    EXPECT_FALSE(again.opened);
    EXPECT_EQ(again.problem, "does not exist");
    EXPECT_EQ(again.damaged, std::vector<int>{2});
    EXPECT_TRUE(alerts.lines.empty()) << OnlyAlert();
}

}  // namespace
