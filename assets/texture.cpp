#include "assets/texture.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "host/image_decoder.h"

namespace {

// Bounded, so that a lost context that keeps reporting errors cannot hang us.
void ClearGLErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void SetCommonParameters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// Uploads tightly packed rows: RGB rows of an odd width are not 4-byte aligned, and GL's default
// unpack alignment would read them skewed. False when GL refuses the image (too large, say).
bool Upload(uint32_t width, uint32_t height, GLenum format, const void* pixels) {
    GLint savedAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    ClearGLErrors();
    glTexImage2D(GL_TEXTURE_2D, 0, 4, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 format, GL_UNSIGNED_BYTE, pixels);
    const bool uploaded = glGetError() == GL_NO_ERROR;
    glPixelStorei(GL_UNPACK_ALIGNMENT, savedAlignment);
    SetCommonParameters();
    return uploaded;
}

bool HasImage(const Texture& t) {
    return t.imageData != nullptr && t.width > 0 && t.height > 0 && t.width <= 0x7fffffffu &&
           t.height <= 0x7fffffffu;
}

size_t BytesPerPixel(const Texture& t) {
    return t.type == GL_RGBA ? 4 : 3;
}

uint8_t DerivedAlpha(const uint8_t* pixel, const uint8_t* key, int mode) {
    if (mode == kTextureColourKey) {
        return (pixel[0] == key[0] && pixel[1] == key[1] && pixel[2] == key[2]) ? 0 : 255;
    }
    if (mode == kTextureBrightnessAlpha) {
        uint8_t brightest = pixel[0];
        if (pixel[1] > brightest) brightest = pixel[1];
        if (pixel[2] > brightest) brightest = pixel[2];
        return brightest;
    }
    return 255;
}

// Grey and grey+alpha become RGB and RGBA; any other channel count is refused.
bool ExpandedChannels(int channels, int* outChannels) {
    if (channels == 1 || channels == 3) {
        *outChannels = 3;
        return true;
    }
    if (channels == 2 || channels == 4) {
        *outChannels = 4;
        return true;
    }
    return false;
}

// Copies the decoded image, top row first, into t's bottom-up rows as RGB or RGBA.
bool CopyDecodedImage(const DecodedImage& image, Texture* t) {
    int outChannels = 0;
    if (image.width <= 0 || image.height <= 0 || !ExpandedChannels(image.channels, &outChannels)) {
        return false;
    }
    const size_t width = static_cast<size_t>(image.width);
    const size_t height = static_cast<size_t>(image.height);
    const size_t inChannels = static_cast<size_t>(image.channels);
    const size_t stride = static_cast<size_t>(image.bytesPerRow);
    if (image.bytesPerRow < 0 || stride < width * inChannels) return false;
    if (image.pixels.size() < stride * (height - 1) + width * inChannels) return false;

    const size_t out = static_cast<size_t>(outChannels);
    auto* data = static_cast<uint8_t*>(std::malloc(width * height * out));
    if (data == nullptr) return false;
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* src = image.pixels.data() + y * stride;
        uint8_t* dst = data + (height - 1 - y) * width * out;
        for (size_t x = 0; x < width; ++x, src += inChannels, dst += out) {
            if (inChannels >= 3) {
                std::memcpy(dst, src, out);
            } else {
                dst[0] = dst[1] = dst[2] = src[0];
                if (out == 4) dst[3] = src[1];
            }
        }
    }
    std::free(t->imageData);
    t->imageData = data;
    t->width = static_cast<uint32_t>(image.width);
    t->height = static_cast<uint32_t>(image.height);
    t->bpp = static_cast<uint32_t>(outChannels * 8);
    t->type = outChannels == 4 ? GL_RGBA : GL_RGB;
    return true;
}

}  // namespace

Texture::~Texture() {
    Clear();
}

void Texture::Clear() {
    std::free(imageData);
    imageData = nullptr;
    if (texID != 0) {
        const GLuint name = texID;
        glDeleteTextures(1, &name);
    }
    bpp = width = height = texID = type = 0;
}

TEXINFO::~TEXINFO() {
    if (texID != 0) {
        const GLuint name = texID;
        glDeleteTextures(1, &name);
    }
    texID = 0;
    mode = 0;
    transparency = 1.0f;
    ambient[0] = ambient[1] = ambient[2] = 0.0f;
}

TEXINFO& TEXINFO::operator=(const TEXINFO& other) {
    texID = other.texID;
    mode = other.mode;
    transparency = other.transparency;
    ambient[0] = other.ambient[0];
    ambient[1] = other.ambient[1];
    ambient[2] = other.ambient[2];
    return *this;
}

bool BuildTexture(Texture* t, int mode) {
    if (t == nullptr || !HasImage(*t)) return false;
    const size_t sourceBytes = BytesPerPixel(*t);
    const uint8_t key[3] = {t->imageData[0], t->imageData[1], t->imageData[2]};

    GLuint name = 0;
    glGenTextures(1, &name);
    t->texID = name;
    glBindTexture(GL_TEXTURE_2D, name);

    const size_t pixelCount = static_cast<size_t>(t->width) * t->height;
    uint8_t* rgba = new (std::nothrow) uint8_t[pixelCount * 4];
    if (rgba == nullptr) return false;
    const uint8_t* src = t->imageData;
    uint8_t* dst = rgba;
    for (size_t i = 0; i < pixelCount; ++i, src += sourceBytes, dst += 4) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        dst[3] = sourceBytes == 4 ? src[3] : DerivedAlpha(src, key, mode);
    }
    const bool uploaded = Upload(t->width, t->height, GL_RGBA, rgba);
    delete[] rgba;
    if (!uploaded) return false;
    std::free(t->imageData);
    t->imageData = nullptr;
    return true;
}

bool BuildTextureNoTran(Texture* t) {
    if (t == nullptr || !HasImage(*t)) return false;
    GLuint name = 0;
    glGenTextures(1, &name);
    t->texID = name;
    glBindTexture(GL_TEXTURE_2D, name);
    const GLenum format = t->type == GL_RGBA ? GL_RGBA : GL_RGB;
    if (!Upload(t->width, t->height, format, t->imageData)) return false;
    std::free(t->imageData);
    t->imageData = nullptr;
    return true;
}

bool BuildJPGTexture(Texture* t, const void* bytes, long length, int /*mode*/) {
    ImageDecoder* decoder = CurrentImageDecoder();
    if (t == nullptr || decoder == nullptr || bytes == nullptr || length <= 0) return false;
    DecodedImage image;
    std::string error;
    if (!decoder->DecodeMemory(bytes, static_cast<size_t>(length), image, error)) return false;
    if (!CopyDecodedImage(image, t)) return false;
    return BuildTextureNoTran(t);
}
