#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/background_source.h"
#include "host/image_decoder.h"
#include "host/settings.h"
#include "platform/headless_gl.h"
#include "tests/host_view/picture_fakes.h"

namespace {

TEST(CaptureSize, PowersOfTwoNearestInLogarithmLimitedByDetail) {
    const struct {
        int width, height, detail, glMax, expectedWidth, expectedHeight;
    } cases[] = {{1440, 900, 1, 16384, 1024, 1024}, {1440, 900, 2, 16384, 1024, 1024},
                 {1440, 900, 0, 16384, 512, 512},   {1920, 1200, 2, 2048, 2048, 1024},
                 {1920, 1200, 1, 2048, 1024, 1024}, {1920, 1200, 7, 1024, 1024, 1024}};
    for (const auto& c : cases) {
        const auto size = CaptureTextureSize(c.width, c.height, c.detail, c.glMax);
        EXPECT_EQ(std::make_pair(size.width, size.height),
                  std::make_pair(c.expectedWidth, c.expectedHeight))
            << c.width << "x" << c.height << " detail " << c.detail << " max " << c.glMax;
    }
    // The rounding point lies at 2^(n + 0.5): 1448 rounds down, 1449 up.
    const std::pair<int, int> nearest[] = {{1448, 1024}, {1449, 2048}, {1024, 1024},
                                           {1, 1},       {0, 1},       {3, 4}};
    for (const auto& n : nearest) EXPECT_EQ(NearestPowerOfTwo(n.first), n.second) << n.first;
}

TEST(CaptureBlackTest, OnlyColourCountsNotAlpha) {
    std::vector<uint8_t> pixels(16 * 4, 0);
    for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    EXPECT_FALSE(HasVisiblePixel(pixels.data(), 16));
    for (int channel = 0; channel < 3; ++channel) {
        std::vector<uint8_t> one = pixels;
        one[15 * 4 + channel] = 1;
        EXPECT_TRUE(HasVisiblePixel(one.data(), 16)) << "channel " << channel;
        EXPECT_FALSE(HasVisiblePixel(one.data(), 15)) << "the count limits the pixels looked at";
    }
}

CapturedImage HalfRedHalfGreen(int width, int height) {
    CapturedImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t(width) * height * 4);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            uint8_t* p = &image.rgba[(std::size_t(row) * width + column) * 4];
            p[column < width / 2 ? 0 : 1] = p[3] = 255;
        }
    return image;
}

TEST(CaptureTexture, ResampledUploadOrDeletionForBlackScreens) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.Create(16, 16)) << gl.Error();

    uint32_t name = 0;
    MakeCaptureTexture(HalfRedHalfGreen(600, 300), 1, &name);
    ASSERT_NE(name, 0u);
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0, wrap = 0, filter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(width, 512);   // 600 is nearer 512 than 1024 in the logarithm
    EXPECT_EQ(height, 256);  // 300 is nearer 256
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(filter, GL_LINEAR);
    std::vector<uint8_t> texels(std::size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const uint8_t* left = &texels[(100 * std::size_t(width) + 10) * 4];
    const uint8_t* right = &texels[(100 * std::size_t(width) + width - 10) * 4];
    EXPECT_TRUE(left[0] == 255 && left[1] == 0 && right[0] == 0 && right[1] == 255);

    // The same name is reused when one is given.
    const uint32_t given = name;
    MakeCaptureTexture(HalfRedHalfGreen(64, 64), 0, &name);
    EXPECT_EQ(name, given);

    // A black screen (or one that could not be read) deletes the texture and reports 0.
    CapturedImage black = HalfRedHalfGreen(320, 200);
    std::fill(black.rgba.begin(), black.rgba.end(), 0);
    MakeCaptureTexture(black, 1, &name);
    EXPECT_EQ(name, 0u);
    EXPECT_FALSE(glIsTexture(given));

    CapturedImage truncated = HalfRedHalfGreen(64, 64);
    truncated.rgba.resize(100);
    MakeCaptureTexture(truncated, 1, &name);
    EXPECT_EQ(name, 0u);
    CapturedImage empty;
    MakeCaptureTexture(empty, 1, &name);
    EXPECT_EQ(name, 0u);
}

TEST(DesktopPicture, DesktopChoiceOrTheShippedPicture) {
    const std::string fallback = "/usr/share/velmora/fallback.jpg";
    FakeDesktop named("/home/u/Pictures/sea.png");
    EXPECT_EQ(DesktopPicturePath(&named, 3, fallback), "/home/u/Pictures/sea.png");
    EXPECT_EQ(named.asked, std::vector<int>{3});
    // Too short to be a picture's path ("/a.jp" is the shortest taken), or too long.
    for (const std::string& path : {std::string(), std::string("/a.j"), std::string("/a.jp"),
                                    "/" + std::string(2000, 'x') + ".png"}) {
        FakeDesktop lookup(path);
        EXPECT_EQ(DesktopPicturePath(&lookup, 0, fallback), path == "/a.jp" ? path : fallback);
    }
    EXPECT_EQ(DesktopPicturePath(nullptr, 0, fallback), fallback);
}

TEST(GroundPicture, SourcesFallBackToTheShippedPicture) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.Create(16, 16)) << gl.Error();
    FakeDecoder decoder;
    SetImageDecoder(&decoder);
    const std::string fallback = "/res/fallback.jpg";
    const struct {
        const char* what;
        int source;           // 1 the desktop picture, 2 a picture folder (one that does not exist)
        const char* desktop;  // the desktop's picture
        bool readable;        // whether the desktop picture and the fallback decode
        std::vector<std::string> asked;
    } cases[] = {{"the desktop picture", 1, "/desk/sea.png", true, {"/desk/sea.png"}},
                 {"a desktop picture our decoder cannot read",
                  1,
                  "/usr/share/backgrounds/gnome/adwaita-timed.xml",
                  true,
                  {"/usr/share/backgrounds/gnome/adwaita-timed.xml", fallback}},
                 {"a folder with no pictures", 2, "/desk/sea.png", true, {fallback}},
                 {"nothing readable at all", 2, "/desk/sea.png", false, {fallback}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SETTINGS settings = DefaultSettings();
        settings.BGTYPE = c.source;
        std::snprintf(settings.BGPath, sizeof settings.BGPath, "%s", "/nonexistent/velmora/folder");
        decoder.paths.clear();
        decoder.readable = {fallback, "/desk/sea.png"};
        decoder.succeed = c.readable;
        FakeDesktop desk(c.desktop);
        Texture ground;
        EXPECT_EQ(LoadGroundPicture(settings, 1, &desk, fallback, ground), c.readable);
        EXPECT_EQ(decoder.paths, c.asked);
        EXPECT_EQ(ground.texID != 0, c.readable);
    }
    SetImageDecoder(nullptr);
}

}  // namespace
