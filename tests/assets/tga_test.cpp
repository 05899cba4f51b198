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

std::vector<uint8_t> Pixels(const Texture& t) {
    const size_t size = static_cast<size_t>(t.width) * t.height * (t.bpp / 8);
    return t.imageData ? std::vector<uint8_t>(t.imageData, t.imageData + size)
                       : std::vector<uint8_t>();
}

class Tga : public AlertTest {
  protected:
    bool Load(const std::vector<uint8_t>& bytes, uint64_t available = kUnboundedImage) {
        std::istringstream stream = StreamOf(bytes);
        return LoadTGA2(&texture, &stream, available);
    }
    Texture texture;
};

TEST_F(Tga, UncompressedPixelsComeOutInRedGreenBlueOrder) {
    ASSERT_TRUE(Load(Join(Head(2, 1, 1, 24), {10, 20, 30})));
    EXPECT_EQ(texture.type, static_cast<uint32_t>(GL_RGB));
    EXPECT_EQ(texture.bpp, 24u);
    EXPECT_EQ(Pixels(texture), (std::vector<uint8_t>{30, 20, 10}));

    Texture rgba;
    std::istringstream stream = StreamOf(Join(Head(2, 2, 1, 32), {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(LoadTGA2(&rgba, &stream));
    EXPECT_EQ(rgba.type, static_cast<uint32_t>(GL_RGBA));
    EXPECT_EQ(rgba.width, 2u);
    EXPECT_EQ(rgba.height, 1u);
    EXPECT_EQ(Pixels(rgba), (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));
    EXPECT_TRUE(alerts.lines.empty());
}

TEST_F(Tga, RunLengthPacketsFillExactlyTheImage) {
    // One run of four, then a 2x1 image of one raw packet followed by nothing more.
    ASSERT_TRUE(Load(Join(Head(10, 4, 1, 24), {0x83, 1, 2, 3})));
    EXPECT_EQ(Pixels(texture), (std::vector<uint8_t>{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));

    Texture mixed;
    std::istringstream stream =
        StreamOf(Join(Head(10, 3, 1, 32), {0x00, 1, 2, 3, 4, 0x81, 9, 8, 7, 6}));
    ASSERT_TRUE(LoadTGA2(&mixed, &stream));
    EXPECT_EQ(Pixels(mixed), (std::vector<uint8_t>{3, 2, 1, 4, 7, 8, 9, 6, 7, 8, 9, 6}));
    EXPECT_TRUE(alerts.lines.empty());
}

TEST_F(Tga, PacketsThatOverrunTheImageAreRefused) {
    EXPECT_FALSE(Load(Join(Head(10, 4, 1, 24), {0x84, 1, 2, 3})));
    EXPECT_EQ(OnlyAlert(), "ERROR|Too many pixels read");
    EXPECT_EQ(texture.imageData, nullptr);

    alerts.lines.clear();
    Texture raw;
    std::istringstream stream =
        StreamOf(Join(Head(10, 2, 1, 24), {0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
    EXPECT_FALSE(LoadTGA2(&raw, &stream));
    EXPECT_EQ(OnlyAlert(), "ERROR|Too many pixels read");
    EXPECT_EQ(raw.imageData, nullptr);
}

TEST_F(Tga, UnsupportedFormatsAreRefusedWithTheirAlerts) {
    EXPECT_FALSE(Load(Join(Head(2, 1, 1, 16), {0, 0})));
    EXPECT_EQ(OnlyAlert(), "ERROR|Invalid texture information");
    EXPECT_EQ(texture.bpp, 16u);  // the values read stay in the record

    for (const auto& empty : {Head(2, 0, 5, 24), Head(10, 5, 0, 32)}) {
        alerts.lines.clear();
        EXPECT_FALSE(Load(empty));
        EXPECT_EQ(OnlyAlert(), "ERROR|Invalid texture information");
    }

    // Colour-mapped (type 1), an image-ID field, and a colour map on a true-colour image.
    std::vector<uint8_t> colourMapped = Join(Head(1, 1, 1, 24), {1, 2, 3});
    std::vector<uint8_t> withId = Join(Head(2, 1, 1, 24), {1, 2, 3});
    withId[0] = 4;
    std::vector<uint8_t> withMap = Join(Head(2, 1, 1, 24), {1, 2, 3});
    withMap[1] = 1;
    for (const auto& bytes : {colourMapped, withId, withMap}) {
        alerts.lines.clear();
        EXPECT_FALSE(Load(bytes));
        EXPECT_EQ(OnlyAlert(), "Invalid Image|TGA file be type 2 or type 10 ");
    }
    EXPECT_EQ(texture.imageData, nullptr);
}

TEST_F(Tga, ShortDataFailsAtTheFieldItCutsAndKeepsNoPixels) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* alert;
    };
    const std::vector<uint8_t> head = Head(2, 2, 2, 24);
    const std::vector<Case> cases = {
        {{0, 0, 2, 0, 0}, "ERROR|Could not read file header"},
        {std::vector<uint8_t>(head.begin(), head.begin() + 15), "ERROR|Could not read info header"},
        {Join(head, std::vector<uint8_t>(11, 7)), "ERROR|Could not read image data"},
        {Join(Head(10, 4, 1, 24), {0x81, 1, 2, 3}), "ERROR|Could not read RLE header"},
        {Join(Head(10, 4, 1, 24), {0x83, 1, 2}), "ERROR|Could not read from file"},
        {Join(Head(10, 4, 1, 24), {0x03, 1, 2, 3, 4, 5}), "ERROR|Could not read image data"},
    };
    for (const Case& c : cases) {
        alerts.lines.clear();
        Texture t;
        std::istringstream stream = StreamOf(c.bytes);
        EXPECT_FALSE(LoadTGA2(&t, &stream)) << c.alert;
        EXPECT_EQ(OnlyAlert(), c.alert);
        EXPECT_EQ(t.imageData, nullptr) << c.alert;
    }
}

TEST_F(Tga, AMissingOrClosedStreamIsRefused) {
    EXPECT_FALSE(LoadTGA2(&texture, nullptr));
    EXPECT_EQ(OnlyAlert(), "ERROR|Could not open texture file");

    alerts.lines.clear();
    std::ifstream closed;
    EXPECT_FALSE(LoadTGA2(&texture, &closed));
    EXPECT_EQ(OnlyAlert(), "ERROR|Could not open texture file");
}

TEST_F(Tga, TheDescriptorByteChangesNothing) {
    const std::vector<uint8_t> pixels = PatternPixels(3, 2, 4);
    const std::vector<uint8_t> plain = EncodeTGA(pixels.data(), 3, 2, 4, TgaCoding::kUncompressed);
    ASSERT_TRUE(Load(plain));
    const std::vector<uint8_t> expected = Pixels(texture);
    EXPECT_EQ(expected, pixels);
    for (uint8_t descriptor : {0x00, 0x20, 0x10, 0x38, 0xff}) {
        std::vector<uint8_t> bytes = plain;
        bytes[17] = descriptor;
        Texture other;
        std::istringstream stream = StreamOf(bytes);
        ASSERT_TRUE(LoadTGA2(&other, &stream));
        EXPECT_EQ(Pixels(other), expected) << int(descriptor);
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

TEST_F(Tga, WrittenImagesReadBackUnchanged) {
    // Widths above one packet (128), long runs, noise and runs that end at a row's edge.
    struct Size {
        uint32_t width, height;
    };
    for (const Size size : {Size{1, 1}, Size{129, 2}, Size{300, 3}, Size{7, 40}}) {
        for (int channels : {3, 4}) {
            std::vector<uint8_t> pixels = PatternPixels(size.width, size.height, channels);
            // Solid stretches so the run-length coder makes runs as well as raw packets.
            for (size_t i = 0; i < pixels.size() / 3; ++i) pixels[i] = 200;
            for (TgaCoding coding : {TgaCoding::kUncompressed, TgaCoding::kRunLength}) {
                const std::vector<uint8_t> file =
                    EncodeTGA(pixels.data(), size.width, size.height, channels, coding);
                Texture t;
                std::istringstream stream = StreamOf(file);
                ASSERT_TRUE(LoadTGA2(&t, &stream, file.size()));
                EXPECT_EQ(t.width, size.width);
                EXPECT_EQ(t.height, size.height);
                EXPECT_EQ(t.bpp, static_cast<uint32_t>(channels * 8));
                EXPECT_EQ(Pixels(t), pixels) << size.width << "x" << size.height;
            }
        }
    }
    const std::vector<uint8_t> solid(1000 * 4, 77);
    const auto rle = EncodeTGA(solid.data(), 1000, 1, 4, TgaCoding::kRunLength);
    EXPECT_EQ(rle.size(), 18u + 8 * 5);  // eight runs of at most 128 pixels
    EXPECT_TRUE(EncodeTGA(solid.data(), 0, 1, 4, TgaCoding::kRunLength).empty());
    EXPECT_TRUE(EncodeTGA(solid.data(), 1, 1, 2, TgaCoding::kRunLength).empty());
    EXPECT_TRUE(alerts.lines.empty());
}

TEST_F(Tga, AnImageLargerThanItsDataIsRefusedBeforeAllocating) {
    const std::vector<uint8_t> pixels = PatternPixels(10, 10, 3);
    const auto file = EncodeTGA(pixels.data(), 10, 10, 3, TgaCoding::kUncompressed);
    ASSERT_TRUE(Load(file, file.size()));
    alerts.lines.clear();
    Texture cut;
    std::istringstream stream = StreamOf(file);
    EXPECT_FALSE(LoadTGA2(&cut, &stream, file.size() - 1));
    EXPECT_EQ(OnlyAlert(), "ERROR|Image larger than its data");
    EXPECT_EQ(cut.imageData, nullptr);

    // A run-length image of a million pixels needs at least 7813 packets of 4 bytes.
    const std::vector<uint8_t> solid(1000 * 1000 * 3, 5);
    const auto big = EncodeTGA(solid.data(), 1000, 1000, 3, TgaCoding::kRunLength);
    Texture fits;
    std::istringstream bigStream = StreamOf(big);
    EXPECT_TRUE(LoadTGA2(&fits, &bigStream, big.size()));
    alerts.lines.clear();
    Texture claims;
    std::istringstream shortStream = StreamOf(Join(Head(10, 1000, 1000, 24), {0xff, 5, 5, 5}));
    EXPECT_FALSE(LoadTGA2(&claims, &shortStream, 18 + 4 * 7812));
    EXPECT_EQ(OnlyAlert(), "ERROR|Image larger than its data");

    // Whatever the data, 65535 x 65535 is beyond any picture the saver uses.
    alerts.lines.clear();
    Texture huge;
    std::istringstream hugeStream = StreamOf(Join(Head(10, 65535, 65535, 32), {0xff, 1, 2, 3, 4}));
    EXPECT_FALSE(LoadTGA2(&huge, &hugeStream));
    EXPECT_EQ(OnlyAlert(), "ERROR|Image too large");
    EXPECT_EQ(huge.imageData, nullptr);
}

}  // namespace
