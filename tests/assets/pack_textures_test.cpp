#include "assets/pack_textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

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

TEST_F(PackTextures, ABadImageFailsTheLoadButTheArrayIsHandedOver) {
    const std::vector<uint8_t> rgb = PatternPixels(2, 2, 3);
    const std::vector<uint8_t> good = EncodeTGA(rgb.data(), 2, 2, 3, TgaCoding::kUncompressed);

    // A run that overruns its image.
    std::vector<uint8_t> overrun = EncodeTGA(rgb.data(), 2, 2, 3, TgaCoding::kRunLength);
    overrun.resize(18);
    overrun.insert(overrun.end(), {0x84, 1, 2, 3});
    PackWriter writer;
    writer.AddLump(kLumpTGA, 0, good);
    writer.AddLump(kLumpTGA, 0, overrun);
    writer.AddLump(kLumpTGA, 0, good);
    EXPECT_FALSE(Load(writer.Build()));
    EXPECT_EQ(OnlyAlert(), "ERROR|Too many pixels read");
    ASSERT_EQ(count, 3);
    EXPECT_NE(textures[0].texID, 0u);
    EXPECT_EQ(textures[1].imageData, nullptr);
    EXPECT_EQ(textures[2].texID, 0u);  // never reached

    // A picture lump that is no picture.
    alerts.lines.clear();
    PackWriter broken;
    broken.AddLump(kLumpJPEG, 0, {0xff, 0xd8, 0xff, 0x00});
    EXPECT_FALSE(Load(broken.Build()));
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(alerts.lines.empty());

    // A picture lump with no decoder installed.
    SetImageDecoder(nullptr);
    PackWriter skins;
    skins.AddLump(kLumpJPEG, 0, MakePNG(rgb, 2, 2, 3));
    EXPECT_FALSE(Load(skins.Build()));
    SetImageDecoder(&decoder);
    EXPECT_TRUE(Load(skins.Build()));
}

TEST_F(PackTextures, AnImageIsBoundedByItsLumpNotByTheFile) {
    // Lump 0 holds only the head of a 16 x 16 image whose pixels would be found in lump 1's
    // bytes if the decoder were allowed to read past its lump.
    const std::vector<uint8_t> pixels = PatternPixels(16, 16, 3);
    const std::vector<uint8_t> image =
        EncodeTGA(pixels.data(), 16, 16, 3, TgaCoding::kUncompressed);
    PackWriter writer;
    writer.AddLump(kLumpTGA, 0, std::vector<uint8_t>(image.begin(), image.begin() + 18));
    writer.AddLump(7, 0, std::vector<uint8_t>(image.begin() + 18, image.end()));
    EXPECT_FALSE(Load(writer.Build()));
    EXPECT_EQ(OnlyAlert(), "ERROR|Image larger than its data");
    EXPECT_EQ(textures[0].imageData, nullptr);

    // A lump that lies outside the file fails without an alert.
    alerts.lines.clear();
    PackWriter outside;
    outside.AddLump(kLumpTGA, 0, image);
    std::vector<uint8_t> bytes = outside.Build();
    PutLE32(bytes, kPackHeaderSize + 4, static_cast<uint32_t>(bytes.size()) - 10);
    EXPECT_FALSE(Load(bytes));
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(alerts.lines.empty());
}

}  // namespace
