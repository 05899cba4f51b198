#include "tools/packgen/text.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
// Third-party code: its own warnings are not ours to fix.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb_truetype.h>
#pragma GCC diagnostic pop

namespace packgen {

bool Font::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    stbtt_fontinfo info;
    return !data_.empty() && stbtt_InitFont(&info, data_.data(), 0) != 0;
}

TextMask Font::Render(const std::string& text, float pixelHeight, int margin) const {
    TextMask mask;
    stbtt_fontinfo info;
    if (data_.empty() || !stbtt_InitFont(&info, data_.data(), 0)) return mask;
    const float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
    int ascent, descent, gap;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    const int baseline = int(std::ceil(ascent * scale));
    const int height = baseline + int(std::ceil(-descent * scale));

    // Lay the glyphs out first to know the width, then draw them.
    struct Placed {
        int glyph;
        float x;
    };
    std::vector<Placed> placed;
    float pen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int cp = static_cast<unsigned char>(text[i]);
        const int glyph = stbtt_FindGlyphIndex(&info, cp);
        placed.push_back({glyph, pen});
        int advance, bearing;
        stbtt_GetGlyphHMetrics(&info, glyph, &advance, &bearing);
        pen += advance * scale;
        if (i + 1 < text.size()) {
            const int next = stbtt_FindGlyphIndex(&info, static_cast<unsigned char>(text[i + 1]));
            pen += scale * stbtt_GetGlyphKernAdvance(&info, glyph, next);
        }
    }
    mask.width = int(std::ceil(pen)) + 2 * margin;
    mask.height = height + 2 * margin;
    mask.coverage.assign(size_t(mask.width) * mask.height, 0.0f);
    for (const Placed& p : placed) {
        int x0, y0, x1, y1;
        const float shift = p.x - std::floor(p.x);
        stbtt_GetGlyphBitmapBoxSubpixel(&info, p.glyph, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
        const int w = x1 - x0, h = y1 - y0;
        if (w <= 0 || h <= 0) continue;
        std::vector<unsigned char> bitmap(size_t(w) * h);
        stbtt_MakeGlyphBitmapSubpixel(&info, bitmap.data(), w, h, w, scale, scale, shift, 0,
                                      p.glyph);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int tx = margin + int(std::floor(p.x)) + x0 + x;
                const int ty = margin + baseline + y0 + y;
                if (tx < 0 || ty < 0 || tx >= mask.width || ty >= mask.height) continue;
                float& c = mask.coverage[size_t(ty) * mask.width + tx];
                c = std::min(1.0f, c + bitmap[size_t(y) * w + x] / 255.0f);
            }
        }
    }
    return mask;
}

}  // namespace packgen
