// A picture being painted: RGBA bytes, top row first, and the encoders the packs need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packgen {

struct Rgb {
    double r = 0, g = 0, b = 0;  // 0..1
};
inline Rgb MixRgb(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb Scale(Rgb a, double s) {
    return {a.r * s, a.g * s, a.b * s};
}
inline Rgb Hex(uint32_t rgb) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0};
}

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top row first

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}
    void Set(int x, int y, Rgb c, double alpha = 1.0);
    // Paints c over the pixel with coverage `a` (0..1), keeping the pixel's own alpha as the
    // larger of the two.
    void Blend(int x, int y, Rgb c, double a);
    Rgb At(int x, int y) const;
    double AlphaAt(int x, int y) const;
};

// Encoders. TGA and raw pixel rows are written bottom row first, as the TGA loader expects.
std::vector<uint8_t> EncodeJpeg(const Image& image, int quality);
std::vector<uint8_t> EncodePng(const Image& image);
std::vector<uint8_t> EncodeTga(const Image& image, int channels, bool runLength);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace packgen
