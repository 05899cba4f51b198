// Pictures from outside through the desktop's decoder: real files of every wallpaper format made
// here, decoded upright and no larger than the ground needs; files that are no pictures, too
// large or not regular files refused before they are read, with the reason in words.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <string>
#include <tuple>
#include <vector>

#include "platform/image_encoder.h"
#include "platform/pixbuf_picture_decoder.h"
#include "tests/support/peak_memory.h"
#include "tests/support/test_files.h"

namespace {

using test_files::WriteBytes;
using test_files::WriteText;

// width x height pixels, the left half of one colour and the right half of another.
std::vector<uint8_t> Halves(int width, int height, std::vector<uint8_t> left,
                            std::vector<uint8_t> right) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        const std::vector<uint8_t>& colour = i % width < width / 2 ? left : right;
        pixels.insert(pixels.end(), colour.begin(), colour.end());
    }
    return pixels;
}

// A small PNG whose header claims width x height pixels.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = EncodePng(Halves(2, 2, {1, 2, 3}, {1, 2, 3}).data(), 2, 2, 3);
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = uint8_t(width >> (24 - 8 * i));
        png[20 + i] = uint8_t(height >> (24 - 8 * i));
    }
    const uint32_t crc = uint32_t(crc32(0, &png[12], 17));  // of the header chunk's type and data
    for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(crc >> (24 - 8 * i));
    return png;
}

class PictureDecoder : public ::testing::Test {
  protected:
    bool Decode(const std::string& name) {
        error_.clear();
        return decoder_.DecodeFile((scratch_ / name).c_str(), image_, error_);
    }
    const uint8_t* Pixel(int x, int y) {
        return &image_.pixels[size_t(y) * image_.bytesPerRow + size_t(x) * image_.channels];
    }
    test_files::ScratchFolder scratch_;
    PixbufPictureDecoder decoder_;
    DecodedImage image_;
    std::string error_;
};

TEST_F(PictureDecoder, WallpaperFormatsDecodeUprightAndNoLargerThanTheGroundNeeds) {
    const std::vector<uint8_t> orange = Halves(2400, 600, {250, 140, 10}, {250, 140, 10});
    WriteBytes(scratch_ / "wide.png", EncodePng(orange.data(), 2400, 600, 3));
    WriteText(scratch_ / "vast.svg",
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100000\" height=\"50000\">"
              "<rect width=\"100%\" height=\"100%\" fill=\"#20c040\"/></svg>\n");
    // A JPEG whose EXIF data says to turn it a quarter clockwise: red left becomes red on top.
    std::vector<uint8_t> sideways = Halves(80, 40, {220, 20, 20}, {20, 20, 220});
    sideways = EncodeJpeg(sideways.data(), 80, 40, 3, 90);
    sideways.insert(sideways.begin() + 2,
                    {0xff, 0xe1, 0,    34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1,
                     0,    0x12, 0x01, 3,  0,   1,   0,   0,   0, 6, 0,   0,   0,  0, 0, 0, 0});
    WriteBytes(scratch_ / "sideways.jpg", sideways);
    // {file, decoded width, height, colour in the lower middle}
    const std::tuple<const char*, int, int, std::vector<uint8_t>> cases[] = {
        {"wide.png", 2048, 512, {250, 140, 10}},
        {"vast.svg", 2048, 1024, {32, 192, 64}},
        {"sideways.jpg", 40, 80, {20, 20, 220}}};
    for (const auto& [name, width, height, middle] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Decode(name)) << error_;
        EXPECT_EQ(image_.width, width);
        EXPECT_EQ(image_.height, height);
        EXPECT_EQ(image_.bytesPerRow, image_.width * image_.channels);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(Pixel(image_.width / 2, image_.height * 3 / 4)[i], middle[i], 12);
    }
    EXPECT_GT(Pixel(20, 10)[0], 150) << "the sideways picture's top is red";
}

TEST_F(PictureDecoder, FilesThatAreNoPicturesOrTooLargeAreRefusedWithTheReason) {
    const std::vector<uint8_t> small = Halves(64, 48, {10, 20, 30}, {10, 20, 30});
    std::vector<uint8_t> cut = EncodeJpeg(small.data(), 64, 48, 3, 90);
    cut.resize(cut.size() / 2);
    WriteBytes(scratch_ / "cut.jpg", cut);
    WriteText(scratch_ / "notes.png", "these are notes, not a picture\n");
    WriteText(scratch_ / "empty.jpg", "");
    ASSERT_EQ(mkfifo((scratch_ / "fifo.jpg").c_str(), 0600), 0);
    WriteBytes(scratch_ / "bomb.png", PngClaiming(40000, 40000));
    // A picture followed by 1.9 GB of nothing (a sparse file, so the test costs no disk).
    WriteBytes(scratch_ / "giant.jpg", EncodeJpeg(small.data(), 64, 48, 3, 90));
    ASSERT_EQ(truncate((scratch_ / "giant.jpg").c_str(), 1900ll * 1024 * 1024), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"missing.jpg", "does not exist"},
        {"fifo.jpg", "is not a regular file"},
        {"empty.jpg", "is empty"},
        {"notes.png", "is not a picture (JPEG, PNG"},
        {"cut.jpg", "cannot be decoded as a JPEG picture"},
        {"bomb.png", "is too large a picture: 40000 x 40000 pixels"},
        {"giant.jpg", "is larger than 128 MB"}};
    const long peakBefore = PeakResidentKilobytes();
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Decode(name));
        EXPECT_EQ(error_.rfind(reason, 0), 0u) << error_;
        EXPECT_EQ(error_.find(name), std::string::npos) << "the caller names the file";
        EXPECT_FALSE(decoder_.Interrupted());
    }
    EXPECT_LT(PeakResidentKilobytes() - peakBefore, 300 * 1024) << "refused before reading";

    // A request to end stops the decode and says so.
    std::atomic<bool> stop{true};
    PixbufPictureDecoder stopped(&stop);
    WriteBytes(scratch_ / "a.png", EncodePng(small.data(), 64, 48, 3));
    EXPECT_FALSE(stopped.DecodeFile((scratch_ / "a.png").c_str(), image_, error_));
    EXPECT_TRUE(stopped.Interrupted());
}

}  // namespace
