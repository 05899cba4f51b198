#include "assets/texture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/image_decoder.h"
#include "test_support.h"

namespace {

// A Texture holding a copy of `pixels` (bottom row first) as the decoders leave it.
void Fill(Texture* t, const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height,
          int channels) {
    t->imageData = static_cast<uint8_t*>(std::malloc(pixels.size()));
    std::memcpy(t->imageData, pixels.data(), pixels.size());
    t->width = width;
    t->height = height;
    t->bpp = static_cast<uint32_t>(channels * 8);
    t->type = channels == 4 ? GL_RGBA : GL_RGB;
}

std::vector<uint8_t> Alphas(const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> out;
    for (size_t i = 3; i < rgba.size(); i += 4) out.push_back(rgba[i]);
    return out;
}

std::vector<uint8_t> WithAlpha(const std::vector<uint8_t>& rgb, const std::vector<uint8_t>& alpha) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < alpha.size(); ++i) {
        out.insert(out.end(), rgb.begin() + i * 3, rgb.begin() + i * 3 + 3);
        out.push_back(alpha[i]);
    }
    return out;
}

void ExpectBuiltTexture(const Texture& t, uint32_t width, uint32_t height) {
    EXPECT_EQ(t.imageData, nullptr);
    EXPECT_NE(t.texID, 0u);
    EXPECT_EQ(t.width, width);
    EXPECT_EQ(t.height, height);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), t.texID);
    GLint value = 0;
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
        glGetTexParameteriv(GL_TEXTURE_2D, wrap, &value);
        EXPECT_EQ(value, GL_REPEAT);
    }
    for (GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) {
        glGetTexParameteriv(GL_TEXTURE_2D, filter, &value);
        EXPECT_EQ(value, GL_LINEAR);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

using Textures = GLTest;

TEST_F(Textures, ModesDeriveAlphaFromRGBPixels) {
    // 3 x 2 (odd width: rows not 4-byte aligned); the first pixel is the colour key.
    const std::vector<uint8_t> rgb = {10, 20, 30, 255, 0,  0,  10, 20, 30,
                                      0,  0,  0,  10,  80, 40, 10, 20, 31};
    const std::vector<std::vector<uint8_t>> expectedAlpha = {
        {255, 255, 255, 255, 255, 255},  // opaque
        {0, 255, 0, 255, 255, 255},      // colour key: exact matches only
        {30, 255, 30, 0, 80, 31},        // brightest of R, G, B
        {255, 255, 255, 255, 255, 255},  // unknown modes are opaque
    };
    for (int mode = 0; mode <= 3; ++mode) {
        Texture t;
        Fill(&t, rgb, 3, 2, 3);
        ASSERT_TRUE(BuildTexture(&t, mode));
        ExpectBuiltTexture(t, 3, 2);
        EXPECT_EQ(ReadBack(t.texID, 3, 2), WithAlpha(rgb, expectedAlpha[mode])) << "mode " << mode;
    }

    // Every pixel equal to the first: fully transparent under the colour key.
    Texture uniform;
    Fill(&uniform, std::vector<uint8_t>(4 * 4 * 3, 99), 4, 4, 3);
    ASSERT_TRUE(BuildTexture(&uniform, kTextureColourKey));
    EXPECT_EQ(Alphas(ReadBack(uniform.texID, 4, 4)), std::vector<uint8_t>(16, 0));
}

TEST_F(Textures, RGBAPixelsKeepTheirOwnAlphaAndNoTranUploadsPixelsAsTheyAre) {
    const std::vector<uint8_t> rgba = PatternPixels(5, 3, 4), rgb = PatternPixels(5, 3, 3);
    // Modes 0 to 2, then the builder without transparency (-1 here), for both pixel kinds.
    for (int mode : {0, 1, 2, -1}) {
        Texture withAlpha, opaque;
        Fill(&withAlpha, rgba, 5, 3, 4);
        Fill(&opaque, rgb, 5, 3, 3);
        const auto build = [mode](Texture* t) {
            return mode < 0 ? BuildTextureNoTran(t) : BuildTexture(t, mode);
        };
        ASSERT_TRUE(build(&withAlpha));
        ExpectBuiltTexture(withAlpha, 5, 3);
        EXPECT_EQ(ReadBack(withAlpha.texID, 5, 3), rgba) << "mode " << mode;
        if (mode < 0) {
            ASSERT_TRUE(build(&opaque));
            ExpectBuiltTexture(opaque, 5, 3);
            EXPECT_EQ(ReadBack(opaque.texID, 5, 3), WithAlpha(rgb, std::vector<uint8_t>(15, 255)));
        }
    }
}

TEST_F(Textures, BuildersRefuseRecordsWithoutPixelsOrThatGLCannotHold) {
    Texture empty;
    EXPECT_FALSE(BuildTexture(&empty, 0));
    EXPECT_FALSE(BuildTextureNoTran(&empty));
    EXPECT_FALSE(BuildTexture(nullptr, 0));
    EXPECT_EQ(empty.texID, 0u);

    // Wider than any GL implementation allows: refused, not reported as built.
    Texture wide;
    Fill(&wide, std::vector<uint8_t>(3 * 4, 1), 1, 1, 3);
    wide.width = 1u << 20;
    wide.height = 1;
    std::free(wide.imageData);
    wide.imageData = static_cast<uint8_t*>(std::calloc(size_t{1} << 20, 3));
    EXPECT_FALSE(BuildTextureNoTran(&wide));
    EXPECT_NE(wide.imageData, nullptr);  // the record still owns its pixels
}

TEST_F(Textures, RecordsReleaseTheirTextureWhenDestroyed) {
    GLuint name = 0;
    {
        Texture t;
        Fill(&t, {1, 2, 3}, 1, 1, 3);
        ASSERT_TRUE(BuildTexture(&t, 0));
        name = t.texID;
        EXPECT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
    {
        Texture unbuilt;  // no pixels, no name: nothing to release
        Fill(&unbuilt, {1, 2, 3}, 1, 1, 3);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLuint shared = 0;
    glGenTextures(1, &shared);
    glBindTexture(GL_TEXTURE_2D, shared);
    EXPECT_TRUE(glIsTexture(shared));
    {
        TEXINFO material;
        material.texID = shared;
        TEXINFO copy;
        copy = material;
        EXPECT_EQ(copy.texID, shared);
    }
    // Both records named it; the first to go deleted it and the second did no harm.
    EXPECT_FALSE(glIsTexture(shared));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A decoder that hands back a fixed picture, top row first.
class FixedDecoder : public ImageDecoder {
  public:
    bool DecodeFile(const char*, DecodedImage&, std::string&) override { return false; }
    bool DecodeMemory(const void*, size_t, DecodedImage& out, std::string& error) override {
        if (!succeed) {
            error = "not a picture";
            return false;
        }
        out = image;
        return true;
    }
    DecodedImage image;
    bool succeed = true;
};

class CompressedTextures : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        SetImageDecoder(&decoder);
    }
    void TearDown() override {
        SetImageDecoder(nullptr);
        GLTest::TearDown();
    }
    void SetImage(int width, int height, int channels, std::vector<uint8_t> pixels) {
        decoder.image.width = width;
        decoder.image.height = height;
        decoder.image.channels = channels;
        decoder.image.bytesPerRow = width * channels;
        decoder.image.pixels = std::move(pixels);
    }
    FixedDecoder decoder;
    const uint8_t bytes[4] = {1, 2, 3, 4};
};

TEST_F(CompressedTextures, DecodedPicturesAreFlippedToBottomRowFirst) {
    // Top row red, bottom row blue (3 x 2, RGB).
    SetImage(3, 2, 3, {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255});
    Texture t;
    ASSERT_TRUE(BuildJPGTexture(&t, bytes, 4, kTextureColourKey));
    ExpectBuiltTexture(t, 3, 2);
    const std::vector<uint8_t> pixels = ReadBack(t.texID, 3, 2);
    for (int i = 0; i < 6; ++i)  // blue row first; mode ignored: no colour key applied
        EXPECT_EQ(
            std::vector<uint8_t>(&pixels[4 * i], &pixels[4 * i + 4]),
            (std::vector<uint8_t>{uint8_t(i < 3 ? 0 : 255), 0, uint8_t(i < 3 ? 255 : 0), 255}))
            << i;

    // RGBA keeps its alpha; rows further apart than their pixels are packed.
    SetImage(1, 2, 4, {1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 0, 0, 0, 0});
    decoder.image.bytesPerRow = 8;
    Texture rgba;
    ASSERT_TRUE(BuildJPGTexture(&rgba, bytes, 4, 0));
    EXPECT_EQ(ReadBack(rgba.texID, 1, 2), (std::vector<uint8_t>{5, 6, 7, 8, 1, 2, 3, 4}));
}

TEST_F(CompressedTextures, GreyPicturesAreWidenedAndOddOnesRefused) {
    SetImage(2, 1, 1, {10, 200});
    Texture grey;
    ASSERT_TRUE(BuildJPGTexture(&grey, bytes, 4, 0));
    EXPECT_EQ(ReadBack(grey.texID, 2, 1),
              (std::vector<uint8_t>{10, 10, 10, 255, 200, 200, 200, 255}));

    SetImage(1, 1, 2, {60, 70});
    Texture greyAlpha;
    ASSERT_TRUE(BuildJPGTexture(&greyAlpha, bytes, 4, 0));
    EXPECT_EQ(ReadBack(greyAlpha.texID, 1, 1), (std::vector<uint8_t>{60, 60, 60, 70}));

    // Five channels, and fewer pixels than the size says.
    for (const int channels : {5, 3}) {
        SetImage(channels == 5 ? 1 : 2, channels == 5 ? 1 : 2, channels, {1, 2, 3, 4, 5});
        Texture bad;
        EXPECT_FALSE(BuildJPGTexture(&bad, bytes, 4, 0)) << channels;
        EXPECT_EQ(bad.imageData, nullptr);
        EXPECT_EQ(bad.texID, 0u);
    }
}

TEST_F(CompressedTextures, UndecodablePicturesAreAFalseResult) {
    decoder.succeed = false;
    Texture failed;
    EXPECT_FALSE(BuildJPGTexture(&failed, bytes, 4, 0));
    EXPECT_EQ(failed.texID, 0u);

    decoder.succeed = true;
    SetImage(1, 1, 3, {1, 2, 3});
    SetImageDecoder(nullptr);
    Texture none;
    EXPECT_FALSE(BuildJPGTexture(&none, bytes, 4, 0));
    SetImageDecoder(&decoder);
    EXPECT_FALSE(BuildJPGTexture(&none, bytes, 0, 0));
    EXPECT_TRUE(BuildJPGTexture(&none, bytes, 4, 0));
    EXPECT_TRUE(alerts.lines.empty());  // builders fail silently
}

}  // namespace
