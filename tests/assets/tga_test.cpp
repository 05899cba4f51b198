#include "assets/tga.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "assets/tga_writer.h"
#include "test_support.h"

namespace {

// The 18-byte head of a TGA file: 12-byte prefix of `type`, then size, depth and descriptor.
std::vector<uint8_t> Head(uint8_t type, uint32_t width, uint32_t height, uint8_t bpp,
                          uint8_t descriptor = 0) {
    std::vector<uint8_t> head(12, 0);
    head[2] = type;
    for (const uint32_t v : {width, height}) head.insert(head.end(), {uint8_t(v), uint8_t(v >> 8)});
    head.insert(head.end(), {bpp, descriptor});
    return head;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// `bytes` with the byte at `at` replaced.
std::vector<uint8_t> With(std::vector<uint8_t> bytes, size_t at, uint8_t value) {
    bytes[at] = value;
    return bytes;
}

std::vector<uint8_t> Pixels(const Texture& t) {
    const size_t size = static_cast<size_t>(t.width) * t.height * (t.bpp / 8);
    return t.imageData ? std::vector<uint8_t>(t.imageData, t.imageData + size)
                       : std::vector<uint8_t>();
}

using Tga = AlertTest;

TEST_F(Tga, PixelsComeOutInRedGreenBlueOrderFromRawAndRunLengthPackets) {
    const struct {
        std::vector<uint8_t> bytes;
        uint32_t type, width;
        std::vector<uint8_t> pixels;
    } cases[] = {
        {Join(Head(2, 1, 1, 24), {10, 20, 30}), GL_RGB, 1, {30, 20, 10}},
        {Join(Head(2, 2, 1, 32), {1, 2, 3, 4, 5, 6, 7, 8}), GL_RGBA, 2, {3, 2, 1, 4, 7, 6, 5, 8}},
        // One run of four pixels filling the image exactly.
        {Join(Head(10, 4, 1, 24), {0x83, 1, 2, 3}),
         GL_RGB,
         4,
         {3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}},
        // A raw packet of one pixel, then a run of two.
        {Join(Head(10, 3, 1, 32), {0x00, 1, 2, 3, 4, 0x81, 9, 8, 7, 6}),
         GL_RGBA,
         3,
         {3, 2, 1, 4, 7, 8, 9, 6, 7, 8, 9, 6}}};
    for (const auto& c : cases) {
        Texture t;
        std::istringstream stream = StreamOf(c.bytes);
        ASSERT_TRUE(LoadTGA2(&t, &stream)) << OnlyAlert();
        EXPECT_EQ(t.type, c.type);
        EXPECT_EQ(t.width, c.width);
        EXPECT_EQ(t.height, 1u);
        EXPECT_EQ(Pixels(t), c.pixels);
    }
    EXPECT_TRUE(alerts.lines.empty());
}

TEST_F(Tga, EveryRefusalRaisesItsOwnAlertAndKeepsNoPixels) {
    const std::vector<uint8_t> head = Head(2, 2, 2, 24);
    const std::vector<uint8_t> pixels = PatternPixels(10, 10, 3);
    const std::vector<uint8_t> image =
        EncodeTGA(pixels.data(), 10, 10, 3, TgaCoding::kUncompressed);
    const std::string invalid = "ERROR|Invalid texture information";
    const std::string notType2 = "Invalid Image|TGA file be type 2 or type 10 ";
    const std::string tooMany = "ERROR|Too many pixels read";
    const std::string larger = "ERROR|Image larger than its data";
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        uint64_t available;
        std::string alert;
    } cases[] = {
        {"16 bits a pixel", Join(Head(2, 1, 1, 16), {0, 0}), kUnboundedImage, invalid},
        {"no width", Head(2, 0, 5, 24), kUnboundedImage, invalid},
        {"no height", Head(10, 5, 0, 32), kUnboundedImage, invalid},
        {"colour-mapped", Join(Head(1, 1, 1, 24), {1, 2, 3}), kUnboundedImage, notType2},
        {"an image-ID field", With(Join(Head(2, 1, 1, 24), {1, 2, 3}), 0, 4), kUnboundedImage,
         notType2},
        {"a colour map on a true-colour image", With(Join(Head(2, 1, 1, 24), {1, 2, 3}), 1, 1),
         kUnboundedImage, notType2},
        {"a run past the image", Join(Head(10, 4, 1, 24), {0x84, 1, 2, 3}), kUnboundedImage,
         tooMany},
        {"a raw packet past the image", Join(Head(10, 2, 1, 24), {0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3}),
         kUnboundedImage, tooMany},
        {"a cut file header", {0, 0, 2, 0, 0}, kUnboundedImage, "ERROR|Could not read file header"},
        {"a cut info header", std::vector<uint8_t>(head.begin(), head.begin() + 15),
         kUnboundedImage, "ERROR|Could not read info header"},
        {"cut raw pixels", Join(head, std::vector<uint8_t>(11, 7)), kUnboundedImage,
         "ERROR|Could not read image data"},
        {"a missing packet header", Join(Head(10, 4, 1, 24), {0x81, 1, 2, 3}), kUnboundedImage,
         "ERROR|Could not read RLE header"},
        {"a cut run", Join(Head(10, 4, 1, 24), {0x83, 1, 2}), kUnboundedImage,
         "ERROR|Could not read from file"},
        {"a cut raw packet", Join(Head(10, 4, 1, 24), {0x03, 1, 2, 3, 4, 5}), kUnboundedImage,
         "ERROR|Could not read image data"},
        // Refused before allocating: the image needs more bytes than are there.
        {"an image a byte larger than its data", image, image.size() - 1, larger},
        // A million run-length pixels need at least 7813 packets of 4 bytes.
        {"a run-length image larger than its data", Join(Head(10, 1000, 1000, 24), {0xff, 5, 5, 5}),
         18 + 4 * 7812, larger},
        // Whatever the data, 65535 x 65535 is beyond any picture the saver uses.
        {"a huge image", Join(Head(10, 65535, 65535, 32), {0xff, 1, 2, 3, 4}), kUnboundedImage,
         "ERROR|Image too large"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        alerts.lines.clear();
        Texture t;
        std::istringstream stream = StreamOf(c.bytes);
        EXPECT_FALSE(LoadTGA2(&t, &stream, c.available));
        EXPECT_EQ(OnlyAlert(), c.alert);
        EXPECT_EQ(t.imageData, nullptr);
    }
    // A missing or closed stream.
    for (std::istream* stream :
         {static_cast<std::istream*>(nullptr), static_cast<std::istream*>(new std::ifstream)}) {
        alerts.lines.clear();
        Texture t;
        EXPECT_FALSE(LoadTGA2(&t, stream));
        EXPECT_EQ(OnlyAlert(), "ERROR|Could not open texture file");
        delete stream;
    }
}

TEST_F(Tga, TheDescriptorByteChangesNothing) {
    const std::vector<uint8_t> pixels = PatternPixels(3, 2, 4);
    const std::vector<uint8_t> plain = EncodeTGA(pixels.data(), 3, 2, 4, TgaCoding::kUncompressed);
    for (uint8_t descriptor : {0x00, 0x20, 0x10, 0x38, 0xff}) {
        Texture t;
        std::istringstream stream = StreamOf(With(plain, 17, descriptor));
        ASSERT_TRUE(LoadTGA2(&t, &stream));
        EXPECT_EQ(Pixels(t), pixels) << int(descriptor);
    }
}

TEST_F(Tga, TheDecoderReadsExactlyOneImageFromTheStream) {
    const std::vector<uint8_t> a = PatternPixels(5, 3, 3);
    const std::vector<uint8_t> b = PatternPixels(2, 7, 4);
    std::istringstream stream =
        StreamOf(Join(EncodeTGA(a.data(), 5, 3, 3, TgaCoding::kRunLength),
                      EncodeTGA(b.data(), 2, 7, 4, TgaCoding::kUncompressed)));
    Texture first, second;
    ASSERT_TRUE(LoadTGA2(&first, &stream));
    ASSERT_TRUE(LoadTGA2(&second, &stream));
    EXPECT_EQ(Pixels(first), a);
    EXPECT_EQ(Pixels(second), b);
    EXPECT_EQ(stream.peek(), std::char_traits<char>::eof());
}

TEST_F(Tga, WrittenImagesReadBackUnchangedWithinTheirExactSize) {
    // Widths above one packet (128), long runs, noise and runs that end at a row's edge.
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {129, 2}, {300, 3}, {7, 40}};
    for (const auto& [width, height] : sizes) {
        for (int channels : {3, 4}) {
            std::vector<uint8_t> pixels = PatternPixels(width, height, channels);
            // Solid stretches so the run-length coder makes runs as well as raw packets.
            for (size_t i = 0; i < pixels.size() / 3; ++i) pixels[i] = 200;
            for (TgaCoding coding : {TgaCoding::kUncompressed, TgaCoding::kRunLength}) {
                const auto file = EncodeTGA(pixels.data(), width, height, channels, coding);
                Texture t;
                std::istringstream stream = StreamOf(file);
                ASSERT_TRUE(LoadTGA2(&t, &stream, file.size()));
                EXPECT_EQ(t.bpp, static_cast<uint32_t>(channels * 8));
                EXPECT_EQ(Pixels(t), pixels) << width << "x" << height;
            }
        }
    }
    // A million-pixel run-length image within its data.
    const std::vector<uint8_t> solid(1000 * 1000 * 3, 77);
    const auto big = EncodeTGA(solid.data(), 1000, 1000, 3, TgaCoding::kRunLength);
    Texture fits;
    std::istringstream bigStream = StreamOf(big);
    EXPECT_TRUE(LoadTGA2(&fits, &bigStream, big.size()));
    EXPECT_EQ(EncodeTGA(solid.data(), 1000, 1, 4, TgaCoding::kRunLength).size(), 18u + 8 * 5)
        << "eight runs of at most 128 pixels";
    EXPECT_TRUE(EncodeTGA(solid.data(), 0, 1, 4, TgaCoding::kRunLength).empty());
    EXPECT_TRUE(EncodeTGA(solid.data(), 1, 1, 2, TgaCoding::kRunLength).empty());
    EXPECT_TRUE(alerts.lines.empty());
}

}  // namespace
