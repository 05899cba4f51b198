// Decoded images and the OpenGL textures built from them.
#pragma once

#include <cstdint>

// One image: pixels (rows bottom-up, R, G, B(, A)) until a builder uploads them, then only the GL
// texture name and the image's size remain.
struct Texture {
    uint8_t* imageData = nullptr;  // malloc'd by the decoder; freed by the builders or ~Texture
    uint32_t bpp = 0;              // 24 or 32
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t texID = 0;  // GL texture name, 0 while none exists
    uint32_t type = 0;   // GL_RGB (0x1907) or GL_RGBA (0x1908)

    Texture() = default;
    ~Texture();
    // Frees the pixels and deletes the GL texture: back to a new record.
    void Clear();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
};

// The material of one mesh group as model drawing binds it.
struct TEXINFO {
    uint32_t texID = 0;
    int8_t mode = 0;  // high bit set (negative): sphere-mapped texture coordinates
    float transparency = 1.0f;
    float ambient[3] = {0.0f, 0.0f, 0.0f};

    TEXINFO() = default;
    ~TEXINFO();  // deletes the GL texture texID and returns to the new state
    TEXINFO(const TEXINFO&) = delete;
    TEXINFO& operator=(const TEXINFO& other);  // copies all values: the copy names the same texture
};

// Texture modes of the pack directory for BuildTexture.
enum TextureMode { kTextureOpaque = 0, kTextureColourKey = 1, kTextureBrightnessAlpha = 2 };

// Uploads t's pixels as RGBA with an alpha derived by `mode`; frees the pixels.
bool BuildTexture(Texture* t, int mode);
// Uploads t's pixels as they are, in their own format; frees the pixels.
bool BuildTextureNoTran(Texture* t);
// Decodes a compressed picture held in memory through the installed image decoder and uploads
// it without derived alpha (`mode` is ignored).
bool BuildJPGTexture(Texture* t, const void* bytes, long length, int mode);
