#include "platform/stb_image_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/image_encoder.h"
#include "test_support.h"
#include "tests/support/peak_memory.h"

namespace {

// A small PNG whose header claims width x height: enough to be measured, too little to decode.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = EncodePng(PatternPixels(2, 2, 3).data(), 2, 2, 3);
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = uint8_t(width >> (24 - 8 * i));
        png[20 + i] = uint8_t(height >> (24 - 8 * i));
    }
    png.resize(33);  // the signature and the header chunk
    return png;
}

std::vector<uint8_t> Corpus(const std::string& name) {
    return test_files::ReadBytes(std::string(VELMORA_SOURCE_DIR) + "/fuzz/picture_file/corpus/" +
                                 name);
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

// PNGs decode exactly, top row first; grey becomes colour. (JPEG decodes in the refusal test's
// sound files and in every shipped coat.)
TEST_F(StbDecoder, PicturesDecodeTopRowFirstAsEightBitColour) {
    const std::vector<uint8_t> grey = {0, 128, 255}, greyAlpha = {40, 200, 90, 7};
    const struct {
        std::vector<uint8_t> bytes;
        int width, channels;
        std::vector<uint8_t> pixels;
    } cases[] = {
        {EncodePng(PatternPixels(5, 4, 3).data(), 5, 4, 3), 5, 3, PatternPixels(5, 4, 3)},
        {EncodePng(PatternPixels(5, 4, 4).data(), 5, 4, 4), 5, 4, PatternPixels(5, 4, 4)},
        {EncodePng(grey.data(), 3, 1, 1), 3, 3, {0, 0, 0, 128, 128, 128, 255, 255, 255}},
        {EncodePng(greyAlpha.data(), 2, 1, 2), 2, 4, {40, 40, 40, 200, 90, 90, 90, 7}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Decode(c.bytes)) << error;
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.channels, c.channels);
        EXPECT_EQ(image.bytesPerRow, c.width * c.channels);
        EXPECT_EQ(image.pixels, c.pixels);
    }
}

TEST_F(StbDecoder, DamagedOrHugePicturesAreRefusedWithAReason) {
    const std::vector<uint8_t> jpeg = EncodeJpeg(PatternPixels(16, 16, 3).data(), 16, 16, 3, 100);
    size_t tables = 0;  // the first byte after the Huffman tables' marker
    while (tables + 1 < jpeg.size() && !(jpeg[tables] == 0xff && jpeg[tables + 1] == 0xc4))
        ++tables;
    tables += 2;
    // More than 256 codes in the first table (its 16 counts follow the length and class bytes).
    std::vector<uint8_t> crowded = jpeg, undefined = jpeg;
    crowded[tables + 3 + 14] = crowded[tables + 3 + 15] = 200;
    undefined[tables - 1] = 0xfe;  // the tables turned into a comment
    const std::vector<uint8_t> png = EncodePng(PatternPixels(8, 8, 3).data(), 8, 8, 3);
    const struct {
        std::vector<uint8_t> bytes;
        const char* reason;  // a part of it
    } cases[] = {
        {crowded, "more than 256 codes"},
        {undefined, "never defined"},
        // Nothing but a header: the refusal comes from the size alone.
        {PngClaiming(20000, 10), "too large"},
        {PngClaiming(8192, 8192),
         "cannot decode"},  // at the limit: decoding fails for want of data
        {std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2), ""},
        // Files the fuzzer found that stb_image 2.27 would read outside its tables or copy to a
        // null pointer. stb skips 0xff fill bytes before the start marker, so the checks must.
        {Corpus("jpeg-after-fill-bytes-huffman-overrun"), "Huffman"},
        // 158 bytes whose image-data chunk claims 1.6 GB: refused before stb grows a buffer to it.
        {Corpus("png-chunk-claims-1600-megabytes"), "runs past the end"},
        {Corpus("png-empty-first-image-data"), "empty image data"},
    };
    const long peakBefore = PeakResidentKilobytes();
    for (const auto& c : cases) {
        ASSERT_FALSE(c.bytes.empty());
        EXPECT_FALSE(Decode(c.bytes)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    EXPECT_LT(PeakResidentKilobytes() - peakBefore, 256 * 1024);
    EXPECT_FALSE(decoder.DecodeMemory(nullptr, 10, image, error));
    EXPECT_FALSE(decoder.DecodeMemory(png.data(), 0, image, error));
    // Sound files that look alike: fill bytes before the start marker, and an empty image data
    // chunk after the image data has begun (before the end chunk).
    std::vector<uint8_t> filled = {0xff, 0xff, 0xff}, chunks = png;
    filled.insert(filled.end(), jpeg.begin() + 1, jpeg.end());
    chunks.insert(chunks.end() - 12, {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xaf, 0x06, 0x1e});
    for (const std::vector<uint8_t>& sound : {filled, chunks}) {
        EXPECT_TRUE(Decode(sound)) << error;
        EXPECT_EQ(image.width, sound == chunks ? 8 : 16);
    }
}

TEST_F(StbDecoder, FilesDecodeLikeMemory) {
    const std::vector<uint8_t> pixels = PatternPixels(3, 2, 4);
    const std::string path = WriteTempFile("picture.png", EncodePng(pixels.data(), 3, 2, 4));
    ASSERT_TRUE(decoder.DecodeFile(path.c_str(), image, error)) << error;
    EXPECT_EQ(image.pixels, pixels);
    // The reason alone: the caller names the file once in its own message.
    EXPECT_FALSE(decoder.DecodeFile((testing::TempDir() + "missing.png").c_str(), image, error));
    EXPECT_EQ(error, "does not exist");
    EXPECT_FALSE(decoder.DecodeFile(nullptr, image, error));
}

}  // namespace
