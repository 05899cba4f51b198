#include "platform/stb_image_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "picture_files.h"
#include "test_support.h"

namespace {

// A GIF of two 1x1 frames: the first white, the second black (two-colour table, no transparency).
std::vector<uint8_t> TwoFrameGif() {
    std::vector<uint8_t> gif = {'G',  'I', 'F', '8',  '9',  'a',  1, 0, 1, 0,
                                0x80, 0,   0,   0xff, 0xff, 0xff, 0, 0, 0};
    // Each frame: an image descriptor, LZW minimum code size 2, codes clear, colour, end.
    const std::vector<uint8_t> white = {',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};
    const std::vector<uint8_t> black = {',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4c, 0x01, 0};
    gif.insert(gif.end(), white.begin(), white.end());
    gif.insert(gif.end(), black.begin(), black.end());
    gif.push_back(';');
    return gif;
}

class StbDecoder : public testing::Test {
  protected:
    bool Decode(const std::vector<uint8_t>& bytes) {
        error.clear();
        return decoder.DecodeMemory(bytes.data(), bytes.size(), image, error);
    }
    StbImageDecoder decoder;
    DecodedImage image;
    std::string error;
};

TEST_F(StbDecoder, PNGsDecodeExactlyTopRowFirst) {
    for (int channels : {3, 4}) {
        const std::vector<uint8_t> pixels = PatternPixels(5, 4, channels);
        ASSERT_TRUE(Decode(MakePNG(pixels, 5, 4, channels))) << error;
        EXPECT_EQ(image.width, 5);
        EXPECT_EQ(image.height, 4);
        EXPECT_EQ(image.channels, channels);
        EXPECT_EQ(image.bytesPerRow, 5 * channels);
        EXPECT_EQ(image.pixels, pixels);
    }
}

TEST_F(StbDecoder, GreyAndSixteenBitPicturesBecomeEightBitColour) {
    ASSERT_TRUE(Decode(MakePNG({0, 128, 255}, 3, 1, 1))) << error;
    EXPECT_EQ(image.channels, 3);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0, 0, 0, 128, 128, 128, 255, 255, 255}));

    ASSERT_TRUE(Decode(MakePNG({40, 200, 90, 7}, 2, 1, 2))) << error;
    EXPECT_EQ(image.channels, 4);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{40, 40, 40, 200, 90, 90, 90, 7}));

    ASSERT_TRUE(Decode(Make16BitPNG({0xffff, 0x0000, 0x8080, 0x1234, 0xabcd, 0x0101}, 2, 1)))
        << error;
    EXPECT_EQ(image.channels, 3);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0xff, 0x00, 0x80, 0x12, 0xab, 0x01}));
}

TEST_F(StbDecoder, JPEGsAndTheFirstFrameOfAGIFDecode) {
    // JPEG is lossy: a flat colour comes back close to itself.
    std::vector<uint8_t> flat;
    for (int i = 0; i < 16 * 16; ++i) flat.insert(flat.end(), {200, 40, 90});
    ASSERT_TRUE(Decode(MakeJPEG(flat, 16, 16, 3))) << error;
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.channels, 3);
    ASSERT_EQ(image.pixels.size(), flat.size());
    for (size_t i = 0; i < flat.size(); ++i) {
        ASSERT_NEAR(image.pixels[i], flat[i], 4) << i;
    }

    ASSERT_TRUE(Decode(TwoFrameGif())) << error;
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.height, 1);
    ASSERT_EQ(image.channels, 4);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 255, 255, 255}));
}

TEST_F(StbDecoder, HugePicturesAreRefusedFromTheirHeader) {
    // Neither header is followed by any pixel data: the refusal must come from the size alone.
    for (const auto& size :
         {std::pair<uint32_t, uint32_t>{20000, 10}, std::pair<uint32_t, uint32_t>{10, 16385},
          std::pair<uint32_t, uint32_t>{10000, 10000}}) {
        EXPECT_FALSE(Decode(PNGHeaderOnly(size.first, size.second)));
        EXPECT_NE(error.find("too large"), std::string::npos) << error;
    }
    // At the limit the header passes and decoding itself fails for want of data.
    EXPECT_FALSE(Decode(PNGHeaderOnly(8192, 8192)));
    EXPECT_EQ(error.find("too large"), std::string::npos) << error;
    EXPECT_FALSE(error.empty());
}

TEST_F(StbDecoder, DataThatIsNoPictureIsRefusedWithAReason) {
    const std::vector<uint8_t> png = MakePNG(PatternPixels(8, 8, 3), 8, 8, 3);
    const std::vector<uint8_t> cut(png.begin(), png.begin() + png.size() / 2);
    const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    const std::vector<uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (const auto& bytes : {cut, text, bmp}) {
        EXPECT_FALSE(Decode(bytes));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(decoder.DecodeMemory(nullptr, 10, image, error));
    EXPECT_FALSE(decoder.DecodeMemory(png.data(), 0, image, error));
}

// Index of the first byte after marker `code` (FF code) in a JPEG; 0 when absent.
size_t AfterMarker(const std::vector<uint8_t>& jpeg, uint8_t code) {
    for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] == code) return i + 2;
    }
    return 0;
}

TEST_F(StbDecoder, JPEGsWithBrokenHuffmanTablesAreRefusedBeforeDecoding) {
    const std::vector<uint8_t> jpeg = MakeJPEG(PatternPixels(16, 16, 3), 16, 16, 3);
    ASSERT_TRUE(Decode(jpeg)) << error;
    const size_t tables = AfterMarker(jpeg, 0xc4);
    ASSERT_NE(tables, 0u);

    // More than 256 codes in the first table (its 16 counts follow the length and class bytes).
    std::vector<uint8_t> crowded = jpeg;
    crowded[tables + 3 + 14] = 200;
    crowded[tables + 3 + 15] = 200;
    EXPECT_FALSE(Decode(crowded));
    EXPECT_NE(error.find("more than 256 codes"), std::string::npos) << error;

    // The tables turned into a comment: the scan then uses tables that were never defined.
    std::vector<uint8_t> undefined = jpeg;
    undefined[tables - 1] = 0xfe;
    EXPECT_FALSE(Decode(undefined));
    EXPECT_NE(error.find("never defined"), std::string::npos) << error;
}

TEST_F(StbDecoder, FilesDecodeLikeMemory) {
    const std::vector<uint8_t> pixels = PatternPixels(3, 2, 4);
    const std::string path = WriteTempFile("picture.png", MakePNG(pixels, 3, 2, 4));
    ASSERT_TRUE(decoder.DecodeFile(path.c_str(), image, error)) << error;
    EXPECT_EQ(image.pixels, pixels);

    // The reason alone: the caller names the file once in its own message.
    EXPECT_FALSE(decoder.DecodeFile((testing::TempDir() + "missing.png").c_str(), image, error));
    EXPECT_EQ(error, "does not exist");
    const std::string huge = WriteTempFile("huge.png", PNGHeaderOnly(20000, 100));
    EXPECT_FALSE(decoder.DecodeFile(huge.c_str(), image, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    // So large that stb_image cannot even measure it: refused all the same.
    const std::string giant = WriteTempFile("giant.png", PNGHeaderOnly(60000, 60000));
    EXPECT_FALSE(decoder.DecodeFile(giant.c_str(), image, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(decoder.DecodeFile(nullptr, image, error));
}

}  // namespace
