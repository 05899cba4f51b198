#include "assets/tga.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "assets/tga_writer.h"
#include "test_support.h"

namespace {

// The 18-byte head of a TGA file of `type` (2 raw, 10 run-length), then `body`.
std::vector<uint8_t> TgaFile(uint8_t type, uint32_t width, uint32_t height, uint8_t bpp,
                             std::vector<uint8_t> body, uint8_t descriptor = 0) {
    std::vector<uint8_t> file(12, 0);
    file[2] = type;
    for (const uint32_t v : {width, height}) file.insert(file.end(), {uint8_t(v), uint8_t(v >> 8)});
    file.insert(file.end(), {bpp, descriptor});
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// Decodes `bytes` alone, bounded by `available`.
bool Load(Texture& t, const std::vector<uint8_t>& bytes, uint64_t available = kUnboundedImage) {
    std::istringstream stream(std::string(bytes.begin(), bytes.end()), std::ios::binary);
    return LoadTGA2(&t, &stream, available);
}

std::vector<uint8_t> Pixels(const Texture& t) {
    const size_t size = static_cast<size_t>(t.width) * t.height * (t.bpp / 8);
    return t.imageData ? std::vector<uint8_t>(t.imageData, t.imageData + size)
                       : std::vector<uint8_t>();
}

using Tga = AlertTest;

TEST_F(Tga, PixelsComeOutInRedGreenBlueOrderFromRawAndRunLengthPackets) {
    // {file, pixels}: RGB or RGBA by the depth, one row.
    const std::pair<std::vector<uint8_t>, std::vector<uint8_t>> cases[] = {
        {TgaFile(2, 1, 1, 24, {10, 20, 30}), {30, 20, 10}},
        // The descriptor byte (origin, alpha bits) changes nothing.
        {TgaFile(2, 2, 1, 32, {1, 2, 3, 4, 5, 6, 7, 8}, 0x38), {3, 2, 1, 4, 7, 6, 5, 8}},
        // A raw packet of one pixel, then a run of two.
        {TgaFile(10, 3, 1, 32, {0, 1, 2, 3, 4, 0x81, 9, 8, 7, 6}),
         {3, 2, 1, 4, 7, 8, 9, 6, 7, 8, 9, 6}}};
    for (const auto& c : cases) {
        Texture t;
        ASSERT_TRUE(Load(t, c.first)) << testing::PrintToString(alerts.lines);
        EXPECT_EQ(t.type, c.first[16] == 32 ? GL_RGBA : GL_RGB);
        EXPECT_EQ(t.height, 1u);
        EXPECT_EQ(Pixels(t), c.second);
    }
    EXPECT_TRUE(alerts.lines.empty());
}

TEST_F(Tga, EveryRefusalRaisesItsOwnAlertAndKeepsNoPixels) {
    const std::vector<uint8_t> image = TgaFile(2, 10, 10, 24, std::vector<uint8_t>(300, 1));
    const std::string cutData = "ERROR|Could not read image data";
    const std::string larger = "ERROR|Image larger than its data";
    const std::vector<uint8_t> head = TgaFile(2, 2, 2, 24, {});
    const struct {
        std::vector<uint8_t> bytes;
        std::string alert;
        uint64_t available = kUnboundedImage;
    } cases[] = {
        {TgaFile(2, 1, 1, 16, {0, 0}), "ERROR|Invalid texture information"},
        {TgaFile(1, 1, 1, 24, {1, 2, 3}), "Invalid Image|TGA file be type 2 or type 10 "},
        {TgaFile(10, 4, 1, 24, {0x84, 1, 2, 3}), "ERROR|Too many pixels read"},  // a run past it
        {{0, 0, 2, 0, 0}, "ERROR|Could not read file header"},
        {std::vector<uint8_t>(head.begin(), head.begin() + 15), "ERROR|Could not read info header"},
        {TgaFile(2, 2, 2, 24, std::vector<uint8_t>(11, 7)), cutData},
        {TgaFile(10, 4, 1, 24, {0x81, 1, 2, 3}), "ERROR|Could not read RLE header"},
        {TgaFile(10, 4, 1, 24, {0x83, 1, 2}), "ERROR|Could not read from file"},
        {TgaFile(10, 4, 1, 24, {0x03, 1, 2, 3, 4, 5}), cutData},
        // Refused before allocating: the image needs more bytes than are there. A million
        // run-length pixels need at least 7813 packets of 4 bytes.
        {image, larger, image.size() - 1},
        {TgaFile(10, 1000, 1000, 24, {0xff, 5, 5, 5}), larger, 18 + 4 * 7812},
        {TgaFile(10, 65535, 65535, 32, {0xff, 1, 2, 3, 4}), "ERROR|Image too large"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alert + " " + std::to_string(&c - cases));
        alerts.lines.clear();
        Texture t;
        EXPECT_FALSE(Load(t, c.bytes, c.available));
        EXPECT_EQ(alerts.lines, std::vector<std::string>{c.alert});
        EXPECT_EQ(t.imageData, nullptr);
    }
    alerts.lines.clear();
    Texture t;
    EXPECT_FALSE(LoadTGA2(&t, nullptr));
    EXPECT_EQ(alerts.lines, std::vector<std::string>{"ERROR|Could not open texture file"});
}

// Written images read back unchanged within their exact size: widths above one packet (128), long
// runs and noise, runs that end at a row's edge.
TEST_F(Tga, WrittenImagesReadBackUnchanged) {
    for (const auto& [width, height] : {std::pair<uint32_t, uint32_t>{1, 1}, {129, 2}}) {
        for (int channels : {3, 4}) {
            std::vector<uint8_t> pixels = PatternPixels(width, height, channels);
            for (size_t i = 0; i < pixels.size() / 3; ++i) pixels[i] = 200;  // runs as well
            for (TgaCoding coding : {TgaCoding::kUncompressed, TgaCoding::kRunLength}) {
                const auto file = EncodeTGA(pixels.data(), width, height, channels, coding);
                Texture t;
                ASSERT_TRUE(Load(t, file, file.size()));
                EXPECT_EQ(Pixels(t), pixels);
            }
        }
    }
    // Eight runs of at most 128 pixels: the smallest body a run-length image can have.
    const std::vector<uint8_t> solid(1000 * 4, 77);
    const auto runs = EncodeTGA(solid.data(), 1000, 1, 4, TgaCoding::kRunLength);
    EXPECT_EQ(runs.size(), 18u + 8 * 5);
    Texture t;
    EXPECT_TRUE(Load(t, runs, runs.size()));
    EXPECT_TRUE(alerts.lines.empty());
}

}  // namespace
