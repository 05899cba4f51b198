#include "tools/packgen/pictures.h"

#include <algorithm>
#include <cmath>

#include "tools/packgen/noise.h"
#include "tools/packgen/vec3.h"

namespace packgen {

const char* const kMessages[4] = {
    "Shh... the cats are on duty.",
    "Back soon? The cats will wait for you.",
    "Chasing yarn and leaving paw prints.",
    "Wiggle the mouse to wake the cats.",
};

namespace {

// Draws a text mask centred in the image at (cx, cy), with a soft dark shadow under it.
void DrawText(Image& img, const TextMask& m, double cx, double cy, Rgb colour, Rgb shadow,
              bool shadowed) {
    const int ox = int(std::lround(cx - m.width * 0.5)), oy = int(std::lround(cy - m.height * 0.5));
    if (shadowed) {
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) {
                float a = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) a = std::max(a, m.At(x - 1 + dx, y - 1 + dy));
                img.Blend(ox + x, oy + y, shadow, a * 0.8);
            }
    }
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) img.Blend(ox + x, oy + y, colour, m.At(x, y));
}

// Coverage of an ellipse at (x, y) with a soft edge of about one pixel.
double Ellipse(double x, double y, double cx, double cy, double rx, double ry, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    const double dx = x - cx, dy = y - cy;
    const double u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
    const double d = (std::sqrt(u * u + v * v) - 1.0) * std::min(rx, ry);
    return Clamp(0.5 - d, 0.0, 1.0);
}

// A paw print in a square of side `size` at (x0, y0): the big pad below, four toes above.
double PawCoverage(double x, double y, double x0, double y0, double size) {
    const double k = size / 128.0;
    auto e = [&](double cx, double cy, double rx, double ry, double a) {
        return Ellipse(x, y, x0 + cx * k, y0 + cy * k, rx * k, ry * k, a);
    };
    double c = e(64, 84, 30, 24, 0);
    c = std::max(c, e(64, 100, 22, 14, 0) * 1.0);
    c = std::max(c, e(30, 50, 11, 15, -0.35));
    c = std::max(c, e(51, 32, 11, 15, -0.1));
    c = std::max(c, e(77, 32, 11, 15, 0.1));
    c = std::max(c, e(98, 50, 11, 15, 0.35));
    return c;
}

}  // namespace

Image CornerMark(const Font& font) {
    Image img(256, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 256; ++x) {
            // A soft dark pill behind the mark so it reads on any ground.
            const double edge = std::min({x + 0.5, 255.5 - x, 16.0}) / 16.0;
            img.Set(x, y, Hex(0x1B2230), 0.55 * Smooth(edge * 1.5));
        }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            img.Blend(10 + x, y, Hex(0xF0B060), PawCoverage(x, y, 2, 2, 28));
    const TextMask m = font.Render("Velmora", 24.0f, 1);
    DrawText(img, m, 44 + m.width * 0.5, 16, Hex(0xFFFFFF), Hex(0x000000), true);
    return img;
}

Rgb StripKeyColour() {
    return Hex(0x000000);
}

Image MessageStrip(const Font& font, const std::string& text, StripBackground background) {
    Image img(512, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 512; ++x) {
            if (background == StripBackground::Transparent)
                img.Set(x, y, Hex(0x000000), 0.0);
            else
                img.Set(x, y, background == StripBackground::Key ? StripKeyColour() : Hex(0), 1.0);
        }
    const TextMask m = font.Render(text, 22.0f, 2);
    // On black the brightness becomes the alpha, so only the white letters are drawn there.
    const bool shadowed = background == StripBackground::Transparent;
    DrawText(img, m, 256, 16, Hex(0xFFFFFF), Hex(0x101418), shadowed);
    if (background == StripBackground::Key) {
        // Soften the letters' edges towards a near-black that is not the key, so they keep an
        // outline instead of a hole.
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 512; ++x) {
                const Rgb c = img.At(x, y);
                if (c.r > 0.0 && c.r < 0.08) img.Set(x, y, Hex(0x141414));
            }
    }
    return img;
}

Image PawPrint() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            double c = 0;
            // Four samples per pixel for smooth edges.
            for (int s = 0; s < 4; ++s)
                c += PawCoverage(x + 0.25 + 0.5 * (s & 1), y + 0.25 + 0.5 * (s >> 1), 8, 6, 112);
            c *= 0.25 * (0.85 + 0.15 * Fbm(x * 0.15, y * 0.15, 0, 3, 2));
            img.Set(x, y, {c, c, c});
        }
    return img;
}

Image YarnSkin(int colour) {
    static const uint32_t base[4] = {0xC8323C, 0x3A62C8, 0x3FA055, 0xE0B030};
    const Rgb yarn = Hex(base[colour & 3]);
    Image img(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const double u = x / 256.0, v = y / 256.0;
            // Three layers of wound thread crossing at different angles; the top one wins.
            double shade = 0.0;
            for (int layer = 0; layer < 3; ++layer) {
                const double a = 0.6 + layer * 1.1;
                const double s = (u * std::cos(a) + v * std::sin(a)) * (38.0 + layer * 7.0);
                const double thread = std::pow(std::fabs(std::sin(kPi * s)), 0.6);
                const double patch = Smooth(
                    (ValueNoise(u * 5.0, v * 5.0, layer * 3.7, 17u + uint32_t(layer)) - 0.45) *
                    6.0);
                shade = Mix(shade, thread, layer == 0 ? 1.0 : patch);
            }
            const double grain = 0.9 + 0.1 * ValueNoise(x * 0.5, y * 0.5, 1.0, 5);
            img.Set(x, y, Scale(yarn, (0.55 + 0.45 * shade) * grain));
        }
    return img;
}

Image NightSky() {
    Image img(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            Rgb c = MixRgb(Hex(0x0E1633), Hex(0x3A4A7A), y / 255.0);
            if (Hash(x, y, 0, 99) > 0.996) c = Hex(0xFFFFFF);
            const double moon = Ellipse(x, y, 180, 70, 28, 28, 0);
            c = MixRgb(c, Hex(0xF4EBC8), moon);
            img.Set(x, y, c);
        }
    return img;
}

Image TitleCard(const Font& font) {
    Image img(256, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) img.Set(x, y, StripKeyColour());
    const TextMask m = font.Render("Velmora", 40.0f, 2);
    DrawText(img, m, 128, 32, Hex(0xF0B060), Hex(0x141414), true);
    return img;
}

Image Courtyard(int width, int height) {
    Image img(width, height);
    const double cell = 72.0;  // pebble spacing in pixels
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double gx = x / cell, gy = y / cell;
            const int cx = int(std::floor(gx)), cy = int(std::floor(gy));
            double best = 1e9, second = 1e9;
            int bx = 0, by = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    const double px = cx + i + 0.15 + 0.7 * Hash(cx + i, cy + j, 0, 1);
                    const double py = cy + j + 0.15 + 0.7 * Hash(cx + i, cy + j, 0, 2);
                    const double d = std::hypot(gx - px, gy - py);
                    if (d < best) {
                        second = best;
                        best = d;
                        bx = cx + i;
                        by = cy + j;
                    } else if (d < second) {
                        second = d;
                    }
                }
            // Each pebble a muted warm grey; the gaps between them darker sand.
            const double tone = Hash(bx, by, 0, 3);
            Rgb pebble = MixRgb(Hex(0x9C958A), Hex(0xC9C1B3), tone);
            pebble = MixRgb(pebble, Hex(0xA89A86), Hash(bx, by, 0, 4) * 0.5);
            const double edge = Smooth((second - best) * 14.0);
            const double dome = 1.0 - 0.15 * Smooth(best * 1.6);
            Rgb c = MixRgb(Hex(0x8A8172), Scale(pebble, dome), edge);
            c = Scale(c, 0.92 + 0.12 * Fbm(x * 0.05, y * 0.05, 0, 8, 3));
            // A gentle vignette keeps the middle calm and bright.
            const double nx = (x - width * 0.5) / width, ny = (y - height * 0.5) / height;
            c = Scale(c, 1.0 - 0.35 * (nx * nx + ny * ny) * 2.0);
            img.Set(x, y, c);
        }
    }
    return img;
}

}  // namespace packgen
