#include "tools/packgen/image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assets/tga_writer.h"
#include "platform/image_encoder.h"

// Kept static to this file so that no other library's copy of the writer can clash with it.

namespace packgen {

namespace {

uint8_t Byte(double v) {
    return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

std::vector<uint8_t> Pixels(const Image& image, int channels, bool bottomUp) {
    std::vector<uint8_t> out;
    out.reserve(size_t(image.width) * image.height * channels);
    for (int row = 0; row < image.height; ++row) {
        const int y = bottomUp ? image.height - 1 - row : row;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgba[(size_t(y) * image.width + x) * 4];
            out.insert(out.end(), p, p + channels);
        }
    }
    return out;
}

}  // namespace

void Image::Set(int x, int y, Rgb c, double alpha) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
    p[0] = Byte(c.r);
    p[1] = Byte(c.g);
    p[2] = Byte(c.b);
    p[3] = Byte(alpha);
}

void Image::Blend(int x, int y, Rgb c, double a) {
    if (x < 0 || y < 0 || x >= width || y >= height || a <= 0) return;
    const Rgb old = At(x, y);
    const double oldAlpha = AlphaAt(x, y);
    Set(x, y, MixRgb(old, c, std::min(1.0, a)), std::max(oldAlpha, std::min(1.0, a)));
}

Rgb Image::At(int x, int y) const {
    const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
    return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}

double Image::AlphaAt(int x, int y) const {
    return rgba[(size_t(y) * width + x) * 4 + 3] / 255.0;
}

std::vector<uint8_t> EncodeJpeg(const Image& image, int quality) {
    const std::vector<uint8_t> rgb = Pixels(image, 3, false);
    return ::EncodeJpeg(rgb.data(), image.width, image.height, 3, quality);
}

std::vector<uint8_t> EncodePng(const Image& image) {
    return ::EncodePng(image.rgba.data(), image.width, image.height, 4);
}

std::vector<uint8_t> EncodeTga(const Image& image, int channels, bool runLength) {
    const std::vector<uint8_t> rows = Pixels(image, channels, true);
    return EncodeTGA(rows.data(), uint32_t(image.width), uint32_t(image.height), channels,
                     runLength ? TgaCoding::kRunLength : TgaCoding::kUncompressed);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace packgen
