#include <gtest/gtest.h>
#include <wayland-client-protocol.h>

#include <cstdint>
#include <vector>

#include "platform/wayland/screencopy_capture.h"

namespace {

// A 2 x 2 copy, rows 12 bytes apart (4 bytes of padding): top row red, green; bottom row blue,
// white; each pixel written in the byte order of `format`, with alpha 0 (an X format's filler).
std::vector<uint8_t> Copy(bool redFirst) {
    const uint8_t rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    std::vector<uint8_t> bytes(24, 0xEE);
    for (int i = 0; i < 4; ++i) {
        uint8_t* pixel = &bytes[std::size_t(i / 2) * 12 + std::size_t(i % 2) * 4];
        pixel[0] = redFirst ? rgb[i][0] : rgb[i][2];
        pixel[1] = rgb[i][1];
        pixel[2] = redFirst ? rgb[i][2] : rgb[i][0];
        pixel[3] = 0;
    }
    return bytes;
}

TEST(ScreenCopy, EveryEightBitFormatGivesOpaqueRgbaBottomRowFirst) {
    const struct {
        uint32_t format;
        bool redFirst;
    } formats[] = {{WL_SHM_FORMAT_XRGB8888, false},
                   {WL_SHM_FORMAT_ARGB8888, false},
                   {WL_SHM_FORMAT_XBGR8888, true},
                   {WL_SHM_FORMAT_ABGR8888, true}};
    const std::vector<uint8_t> bottomFirst = {0,   0, 255, 255, 255, 255, 255, 255,
                                              255, 0, 0,   255, 0,   255, 0,   255};
    const std::vector<uint8_t> topFirst = {255, 0, 0,   255, 0,   255, 0,   255,
                                           0,   0, 255, 255, 255, 255, 255, 255};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        const std::vector<uint8_t> bytes = Copy(f.redFirst);
        CapturedImage image;
        ASSERT_TRUE(
            ScreenCopyToImage(f.format, 2, 2, 12, false, bytes.data(), bytes.size(), image));
        EXPECT_EQ(image.width, 2);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(image.rgba, bottomFirst);
        // A y-inverted copy already has its bottom row first.
        ASSERT_TRUE(ScreenCopyToImage(f.format, 2, 2, 12, true, bytes.data(), bytes.size(), image));
        EXPECT_EQ(image.rgba, topFirst);
    }
}

TEST(ScreenCopy, RefusesWhatItCannotRead) {
    const std::vector<uint8_t> bytes = Copy(false);
    CapturedImage image;
    const struct {
        uint32_t format;
        int width, height, stride;
        std::size_t size;
    } refused[] = {
        {WL_SHM_FORMAT_RGB565, 2, 2, 12, 24},     // not 8 bits a channel
        {WL_SHM_FORMAT_XRGB8888, 2, 3, 12, 24},   // more rows than bytes
        {WL_SHM_FORMAT_XRGB8888, 4, 2, 12, 24},   // rows wider than the stride
        {WL_SHM_FORMAT_XRGB8888, 0, 2, 12, 24},   // no pixels
        {WL_SHM_FORMAT_XRGB8888, 2, -1, 12, 24},  // a negative size
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(ScreenCopyToImage(r.format, r.width, r.height, r.stride, false, bytes.data(),
                                       r.size, image))
            << r.format << " " << r.width << "x" << r.height;
    }
}

}  // namespace
