// Pictures from outside through the desktop's decoder: real files of every wallpaper format made
// here, decoded upright and no larger than the ground needs; files that are no pictures, too
// large or not regular files refused before they are read, with the reason in words.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

#include "platform/image_encoder.h"
#include "platform/pixbuf_picture_decoder.h"
#include "tests/support/peak_memory.h"
#include "tests/support/test_files.h"

namespace {

using test_files::ScratchFolder;
using test_files::WriteBytes;
using test_files::WriteText;

std::vector<uint8_t> Solid(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    pixels.reserve(std::size_t(width) * height * 3);
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b});
    return pixels;
}

// A JPEG whose EXIF data says it must be turned a quarter clockwise to stand upright: the left
// half is red, the right half blue.
std::vector<uint8_t> SidewaysJpeg(int width, int height) {
    std::vector<uint8_t> pixels = Solid(width, height, 220, 20, 20);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x) {
            uint8_t* p = &pixels[(std::size_t(y) * width + x) * 3];
            p[0] = 20, p[2] = 220;
        }
    std::vector<uint8_t> jpeg = EncodeJpeg(pixels.data(), width, height, 3, 90);
    const std::vector<uint8_t> exif = {0xff, 0xe1, 0,  34, 'E', 'x', 'i', 'f', 0, 0,
                                       'I',  'I',  42, 0,  8,   0,   0,   0,   1, 0,  // one entry
                                       0x12, 0x01, 3,  0,  1,   0,   0,   0,   6, 0,
                                       0,    0,    0,  0,  0,   0};
    jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
    return jpeg;
}

std::string Svg(int width, int height, const char* colour) {
    return "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\"><rect width=\"100%\" height=\"100%\" fill=\"" + colour + "\"/></svg>\n";
}

// Saved through gdk-pixbuf's own WebP saver (the WebP loader brings it).
bool WriteWebp(const std::string& path, int width, int height) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    gdk_pixbuf_fill(pixbuf, 0x2040e0ff);
    const bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), "webp", nullptr, nullptr);
    g_object_unref(pixbuf);
    return saved;
}

uint32_t Crc32(const uint8_t* bytes, std::size_t length) {
    uint32_t crc = 0xffffffffu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    const uint32_t length = uint32_t(data.size());
    png.insert(png.end(), {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8),
                           uint8_t(length)});
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uint32_t crc = Crc32(&png[start], png.size() - start);
    png.insert(png.end(),
               {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
}

// A PNG whose header claims width x height RGB pixels, followed by the start of its image data.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PutChunk(png, "IHDR",
             {uint8_t(width >> 24), uint8_t(width >> 16), uint8_t(width >> 8), uint8_t(width),
              uint8_t(height >> 24), uint8_t(height >> 16), uint8_t(height >> 8), uint8_t(height),
              8, 2, 0, 0, 0});
    PutChunk(png, "IDAT", {0x78, 0x9c, 0x63, 0, 0, 0, 1, 0, 1});
    return png;
}

const uint8_t* Pixel(const DecodedImage& image, int x, int y) {
    return &image.pixels[std::size_t(y) * image.bytesPerRow + std::size_t(x) * image.channels];
}

class PictureDecoder : public ::testing::Test {
  protected:
    ScratchFolder scratch_;
    PixbufPictureDecoder decoder_;
    DecodedImage image_;
    std::string error_;
};

TEST_F(PictureDecoder, WallpaperFormatsDecodeUprightAndNoLargerThanTheGroundNeeds) {
    const std::vector<uint8_t> orange = Solid(3000, 1000, 250, 140, 10);
    WriteBytes(scratch_ / "wide.png", EncodePng(orange.data(), 3000, 1000, 3));
    WriteBytes(scratch_ / "photo.jpg", EncodeJpeg(orange.data(), 3000, 1000, 3, 85));
    WriteText(scratch_ / "debian.svg", Svg(1920, 1080, "#20c040"));
    WriteText(scratch_ / "vast.svg", Svg(100000, 50000, "#20c040"));
    ASSERT_TRUE(WriteWebp(scratch_ / "gnome.webp", 640, 480)) << "the WebP loader is missing";
    const struct {
        const char* name;
        int width, height;
        uint8_t r, g, b;
    } cases[] = {{"wide.png", 2048, 683, 250, 140, 10},
                 {"photo.jpg", 2048, 683, 250, 140, 10},
                 {"debian.svg", 1920, 1080, 32, 192, 64},
                 {"vast.svg", 2048, 1024, 32, 192, 64},
                 {"gnome.webp", 640, 480, 32, 64, 224}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(decoder_.DecodeFile((scratch_ / c.name).c_str(), image_, error_)) << error_;
        EXPECT_EQ(image_.width, c.width);
        EXPECT_EQ(image_.height, c.height);
        EXPECT_EQ(image_.bytesPerRow, image_.width * image_.channels);
        const uint8_t* middle = Pixel(image_, image_.width / 2, image_.height / 2);
        EXPECT_NEAR(middle[0], c.r, 12);
        EXPECT_NEAR(middle[1], c.g, 12);
        EXPECT_NEAR(middle[2], c.b, 12);
    }

    // Turned upright by its EXIF orientation: 80 x 40 sideways becomes 40 x 80, red on top.
    WriteBytes(scratch_ / "sideways.jpg", SidewaysJpeg(80, 40));
    ASSERT_TRUE(decoder_.DecodeFile((scratch_ / "sideways.jpg").c_str(), image_, error_)) << error_;
    EXPECT_EQ(image_.width, 40);
    EXPECT_EQ(image_.height, 80);
    EXPECT_GT(Pixel(image_, 20, 10)[0], 150);
    EXPECT_GT(Pixel(image_, 20, 70)[2], 150);
}

TEST_F(PictureDecoder, FilesThatAreNoPicturesOrTooLargeAreRefusedWithTheReason) {
    const std::vector<uint8_t> small = Solid(64, 48, 10, 20, 30);
    std::vector<uint8_t> cut = EncodeJpeg(small.data(), 64, 48, 3, 90);
    cut.resize(cut.size() / 2);
    WriteBytes(scratch_ / "cut.jpg", cut);
    WriteText(scratch_ / "notes.png", "these are notes, not a picture\n");
    WriteText(scratch_ / "empty.jpg", "");
    ASSERT_EQ(mkfifo((scratch_ / "fifo.jpg").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((scratch_ / "album.jpg").c_str(), 0700), 0);
    WriteBytes(scratch_ / "bomb.png", PngClaiming(40000, 40000));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {{"missing.jpg", "does not exist"},
                 {"fifo.jpg", "is not a regular file"},
                 {"album.jpg", "is a folder, not a file"},
                 {"empty.jpg", "is empty"},
                 {"notes.png", "is not a picture (JPEG, PNG"},
                 {"cut.jpg", "cannot be decoded as a JPEG picture"},
                 {"bomb.png", "is too large a picture: 40000 x 40000 pixels"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(decoder_.DecodeFile((scratch_ / c.name).c_str(), image_, error_));
        EXPECT_EQ(error_.rfind(c.reason, 0), 0u) << error_;
        EXPECT_EQ(error_.find(c.name), std::string::npos) << "the caller names the file";
        EXPECT_FALSE(decoder_.Interrupted());
    }
}

// A picture followed by 1.9 GB of nothing (a sparse file, so the test costs no disk): refused
// from its size before a byte is read, in next to no memory and time.
TEST_F(PictureDecoder, AGiantFileIsRefusedBeforeReading) {
    const std::vector<uint8_t> small = Solid(64, 48, 10, 20, 30);
    const std::string giant = scratch_ / "giant.jpg";
    WriteBytes(giant, EncodeJpeg(small.data(), 64, 48, 3, 90));
    ASSERT_EQ(truncate(giant.c_str(), 1900ll * 1024 * 1024), 0);
    const long before = PeakResidentKilobytes();
    EXPECT_FALSE(decoder_.DecodeFile(giant.c_str(), image_, error_));
    EXPECT_EQ(error_, "is larger than 128 MB");
    EXPECT_LT(PeakResidentKilobytes() - before, 300 * 1024);
}

TEST_F(PictureDecoder, ARequestToEndStopsTheDecodeAndSaysSo) {
    const std::vector<uint8_t> small = Solid(64, 48, 10, 20, 30);
    WriteBytes(scratch_ / "a.png", EncodePng(small.data(), 64, 48, 3));
    std::atomic<bool> stop{false};
    PixbufPictureDecoder decoder(&stop);
    ASSERT_TRUE(decoder.DecodeFile((scratch_ / "a.png").c_str(), image_, error_)) << error_;
    stop = true;
    EXPECT_FALSE(decoder.DecodeFile((scratch_ / "a.png").c_str(), image_, error_));
    EXPECT_TRUE(decoder.Interrupted());
}

}  // namespace
