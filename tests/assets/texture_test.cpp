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

using Textures = GLTest;

// How each mode derives alpha shows through the pack tests.
// Records without pixels, or that GL cannot hold, are refused; built ones, and the materials that
// name a texture, release it when destroyed.
TEST_F(Textures, BuildersRefuseWhatGLCannotHoldAndRecordsReleaseTheirTexture) {
    Texture empty, flat, wide;
    Fill(&flat, {1, 2, 3}, 1, 0, 3);  // pixels, but no rows
    for (Texture* t : {&empty, &flat}) {
        EXPECT_FALSE(BuildTexture(t, 0));
        EXPECT_FALSE(BuildTextureNoTran(t));
    }
    EXPECT_FALSE(BuildTexture(nullptr, 0));
    EXPECT_EQ(empty.texID, 0u);
    Fill(&wide, std::vector<uint8_t>(size_t{3} << 20, 1), 1u << 20, 1, 3);
    EXPECT_FALSE(BuildTextureNoTran(&wide));
    EXPECT_NE(wide.imageData, nullptr);  // the record still owns its pixels
    GLuint names[2] = {0, 0};
    {
        Texture t;
        Fill(&t, {1, 2, 3}, 1, 1, 3);
        ASSERT_TRUE(BuildTexture(&t, 0));
        names[0] = t.texID;
        TEXINFO material;
        glGenTextures(1, &names[1]);
        glBindTexture(GL_TEXTURE_2D, names[1]);
        material.texID = names[1];
        EXPECT_TRUE(glIsTexture(names[0]) && glIsTexture(names[1]));
    }
    EXPECT_FALSE(glIsTexture(names[0]));
    EXPECT_FALSE(glIsTexture(names[1]));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A decoder that hands back a fixed picture, top row first.
class FixedDecoder : public ImageDecoder {
  public:
    bool DecodeFile(const char*, DecodedImage&, std::string&) override { return false; }
    bool DecodeMemory(const void*, size_t, DecodedImage& out, std::string&) override {
        out = image;
        return succeed;
    }
    DecodedImage image;
    bool succeed = true;
};

// Decoded pictures are stored bottom row first as RGBA; grey is widened; odd ones are refused.
TEST_F(Textures, DecodedPicturesAreFlippedWidenedOrRefused) {
    FixedDecoder decoder;
    SetImageDecoder(&decoder);
    const uint8_t bytes[4] = {1, 2, 3, 4};
    const struct {
        int width, height, channels, bytesPerRow;
        std::vector<uint8_t> pixels, expected;  // expected empty: refused
    } cases[] = {
        {1, 2, 3, 3, {1, 2, 3, 4, 5, 6}, {4, 5, 6, 255, 1, 2, 3, 255}},
        // Rows further apart than their pixels are packed.
        {1, 2, 4, 8, {1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 0, 0, 0, 0}, {5, 6, 7, 8, 1, 2, 3, 4}},
        {2, 1, 1, 2, {10, 200}, {10, 10, 10, 255, 200, 200, 200, 255}},
        {1, 1, 2, 2, {60, 70}, {60, 60, 60, 70}},
        {1, 1, 5, 5, {1, 2, 3, 4, 5}, {}},
        {2, 2, 3, 6, {1, 2, 3, 4, 5}, {}},  // fewer pixels than the size says
    };
    for (const auto& c : cases) {
        decoder.image = {c.width, c.height, c.channels, c.bytesPerRow, c.pixels};
        Texture t;
        ASSERT_EQ(BuildJPGTexture(&t, bytes, 4, kTextureColourKey), !c.expected.empty());
        if (c.expected.empty()) {
            EXPECT_EQ(t.texID, 0u);
            continue;
        }
        // Built: the pixels handed to GL, repeating and linearly filtered.
        EXPECT_EQ(t.imageData, nullptr);
        ASSERT_NE(t.texID, 0u);
        GLint wrap = 0, filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(wrap, GL_REPEAT);
        EXPECT_EQ(filter, GL_LINEAR);
        EXPECT_EQ(ReadBack(t.texID, t.width, t.height), c.expected);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    Texture t;
    EXPECT_FALSE(BuildJPGTexture(&t, bytes, 0, 0));
    decoder.succeed = false;
    EXPECT_FALSE(BuildJPGTexture(&t, bytes, 4, 0));
    SetImageDecoder(nullptr);
    decoder.succeed = true;
    EXPECT_FALSE(BuildJPGTexture(&t, bytes, 4, 0));
    EXPECT_EQ(t.texID, 0u);
    EXPECT_TRUE(alerts.lines.empty());  // builders fail silently
}

}  // namespace
