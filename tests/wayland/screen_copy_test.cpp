#include <gtest/gtest.h>
#include <wayland-client-protocol.h>

#include <cstdint>
#include <vector>

#include "platform/wayland/screencopy_capture.h"

namespace {

// A 2 x 2 copy, rows 12 bytes apart (4 bytes of padding): top row red, green; bottom row blue,
// white; each pixel in the byte order of its format (red first or blue first), alpha 0 (an X
// format's filler).
std::vector<uint8_t> Copy(bool redFirst) {
    const uint8_t rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    std::vector<uint8_t> bytes(24, 0xEE);
    for (int i = 0; i < 4; ++i) {
        uint8_t* pixel = &bytes[std::size_t(i / 2) * 12 + std::size_t(i % 2) * 4];
        for (int c = 0; c < 3; ++c) pixel[c] = rgb[i][redFirst ? c : 2 - c];
        pixel[3] = 0;
    }
    return bytes;
}

TEST(ScreenCopy, EveryEightBitFormatGivesOpaqueRgbaBottomRowFirstAndOddCopiesAreRefused) {
    const std::vector<uint8_t> blueWhite = {0, 0, 255, 255, 255, 255, 255, 255};
    const std::vector<uint8_t> redGreen = {255, 0, 0, 255, 0, 255, 0, 255};
    for (const uint32_t format : {WL_SHM_FORMAT_XRGB8888, WL_SHM_FORMAT_ARGB8888,
                                  WL_SHM_FORMAT_XBGR8888, WL_SHM_FORMAT_ABGR8888}) {
        SCOPED_TRACE(format);
        const bool redFirst = format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
        const std::vector<uint8_t> bytes = Copy(redFirst);
        // A y-inverted copy already has its bottom row first.
        for (const bool inverted : {false, true}) {
            CapturedImage image;
            ASSERT_TRUE(ScreenCopyToImage(format, 2, 2, 12, inverted, bytes.data(), 24, image));
            EXPECT_TRUE(image.width == 2 && image.height == 2);
            std::vector<uint8_t> expected = inverted ? redGreen : blueWhite;
            const std::vector<uint8_t>& second = inverted ? blueWhite : redGreen;
            expected.insert(expected.end(), second.begin(), second.end());
            EXPECT_EQ(image.rgba, expected);
        }
    }
    const std::vector<uint8_t> bytes = Copy(false);
    const struct {
        uint32_t format;
        int width, height;
    } refused[] = {
        {WL_SHM_FORMAT_RGB565, 2, 2},     // not 8 bits a channel
        {WL_SHM_FORMAT_XRGB8888, 2, 3},   // more rows than bytes
        {WL_SHM_FORMAT_XRGB8888, 4, 2},   // rows wider than the stride
        {WL_SHM_FORMAT_XRGB8888, 0, 2},   // no pixels
        {WL_SHM_FORMAT_XRGB8888, 2, -1},  // a negative size
    };
    for (const auto& r : refused) {
        CapturedImage image;
        EXPECT_FALSE(
            ScreenCopyToImage(r.format, r.width, r.height, 12, false, bytes.data(), 24, image))
            << r.format << " " << r.width << "x" << r.height;
    }
}

}  // namespace
