#include "assets/tga.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

#include "math/errors.h"

namespace {

constexpr size_t kPrefixSize = 12;
constexpr size_t kInfoSize = 6;
const unsigned char kUncompressedPrefix[kPrefixSize] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const unsigned char kCompressedPrefix[kPrefixSize] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// What the 6 bytes after the prefix say about the image.
struct TgaInfo {
    uint32_t bytesPerPixel = 0;
    uint64_t pixelCount = 0;
};

bool Alert(const char* text, const char* caption = "ERROR") {
    MessageBox(nullptr, text, caption, 0);
    return false;
}

bool ReadBytes(std::istream& s, void* buffer, size_t size) {
    s.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return static_cast<size_t>(s.gcount()) == size;
}

void DropPixels(Texture* t) {
    std::free(t->imageData);
    t->imageData = nullptr;
}

uint64_t Remaining(uint64_t available, uint64_t used) {
    return available > used ? available - used : 0;
}

// Fewest bytes a body could be coded in: every pixel stored (uncompressed), or runs of at most
// 128 pixels, each a header byte and one pixel (run-length).
uint64_t SmallestBody(const TgaInfo& info, bool compressed) {
    if (!compressed) return info.pixelCount * info.bytesPerPixel;
    return (info.pixelCount + 127) / 128 * (1 + info.bytesPerPixel);
}

// The head both body decoders share: reads and checks the size and depth, allocates the pixels.
bool ReadInfoAndAllocate(Texture* t, std::istream& s, uint64_t available, bool compressed,
                         TgaInfo* info) {
    unsigned char bytes[kInfoSize];
    if (!ReadBytes(s, bytes, kInfoSize)) return Alert("Could not read info header");
    t->width = static_cast<uint32_t>(bytes[1]) * 256 + bytes[0];
    t->height = static_cast<uint32_t>(bytes[3]) * 256 + bytes[2];
    t->bpp = bytes[4];
    if (t->width == 0 || t->height == 0 || (t->bpp != 24 && t->bpp != 32)) {
        return Alert("Invalid texture information");
    }
    t->type = t->bpp == 24 ? GL_RGB : GL_RGBA;
    info->bytesPerPixel = t->bpp / 8;
    info->pixelCount = static_cast<uint64_t>(t->width) * t->height;
    if (info->pixelCount > kMaxTgaPixels) return Alert("Image too large");
    if (SmallestBody(*info, compressed) > Remaining(available, kInfoSize)) {
        return Alert("Image larger than its data");
    }
    std::free(t->imageData);
    t->imageData = static_cast<uint8_t*>(std::malloc(info->pixelCount * info->bytesPerPixel));
    if (t->imageData == nullptr) return Alert("Could not allocate memory for image");
    return true;
}

bool IsOpen(const std::istream* s) {
    if (s == nullptr) return false;
    const auto* file = dynamic_cast<const std::ifstream*>(s);
    return file == nullptr || file->is_open();
}

}  // namespace

bool LoadTGA2(Texture* t, std::istream* s, uint64_t available) {
    if (t == nullptr || !IsOpen(s)) return Alert("Could not open texture file");
    unsigned char prefix[kPrefixSize];
    if (!ReadBytes(*s, prefix, kPrefixSize)) return Alert("Could not read file header");
    const uint64_t rest = Remaining(available, kPrefixSize);
    if (std::memcmp(prefix, kUncompressedPrefix, kPrefixSize) == 0) {
        return LoadUncompressedTGA2(t, s, rest);
    }
    if (std::memcmp(prefix, kCompressedPrefix, kPrefixSize) == 0) {
        return LoadCompressedTGA2(t, s, rest);
    }
    return Alert("TGA file be type 2 or type 10 ", "Invalid Image");
}

bool LoadUncompressedTGA2(Texture* t, std::istream* s, uint64_t available) {
    if (t == nullptr || !IsOpen(s)) return Alert("Could not open texture file");
    TgaInfo info;
    if (!ReadInfoAndAllocate(t, *s, available, false, &info)) return false;
    const size_t imageSize = info.pixelCount * info.bytesPerPixel;
    if (!ReadBytes(*s, t->imageData, imageSize)) {
        DropPixels(t);
        return Alert("Could not read image data");
    }
    for (size_t i = 0; i < imageSize; i += info.bytesPerPixel) {
        std::swap(t->imageData[i], t->imageData[i + 2]);
    }
    return true;
}

bool LoadCompressedTGA2(Texture* t, std::istream* s, uint64_t available) {
    if (t == nullptr || !IsOpen(s)) return Alert("Could not open texture file");
    TgaInfo info;
    if (!ReadInfoAndAllocate(t, *s, available, true, &info)) return false;
    const uint32_t bpp = info.bytesPerPixel;
    unsigned char colour[4] = {0, 0, 0, 0};
    uint64_t produced = 0;
    auto fail = [t](const char* text) {
        DropPixels(t);
        return Alert(text);
    };
    // The check comes before the write, so a packet that overruns never touches memory past the
    // last pixel.
    auto emit = [&]() {
        if (produced >= info.pixelCount) return false;
        uint8_t* dst = t->imageData + produced * bpp;
        dst[0] = colour[2];
        dst[1] = colour[1];
        dst[2] = colour[0];
        if (bpp == 4) dst[3] = colour[3];
        ++produced;
        return true;
    };
    while (produced < info.pixelCount) {
        unsigned char header = 0;
        if (!ReadBytes(*s, &header, 1)) return fail("Could not read RLE header");
        if (header < 128) {
            for (int i = 0; i <= header; ++i) {
                if (!ReadBytes(*s, colour, bpp)) return fail("Could not read image data");
                if (!emit()) return fail("Too many pixels read");
            }
        } else {
            if (!ReadBytes(*s, colour, bpp)) return fail("Could not read from file");
            for (int i = 0; i < header - 127; ++i) {
                if (!emit()) return fail("Too many pixels read");
            }
        }
    }
    return true;
}
