// Lines of text rendered with a TrueType font, as coverage masks to paint pictures with.
#pragma once

#include <string>
#include <vector>

namespace packgen {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct TextMask {
    int width = 0, height = 0;
    std::vector<float> coverage;  // 0..1, top row first
    float At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
        return coverage[size_t(y) * width + x];
    }
};

class Font {
  public:
    // False when the font file cannot be read or is not a font.
    bool Load(const std::string& path);
    // One line of ASCII text at `pixelHeight`, tightly cropped to its ink plus `margin` pixels.
    TextMask Render(const std::string& text, float pixelHeight, int margin) const;

  private:
    std::vector<unsigned char> data_;
};

}  // namespace packgen
