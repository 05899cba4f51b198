#include "tools/packgen/skins.h"

#include <algorithm>
#include <cmath>

#include "tools/packgen/noise.h"

namespace packgen {

namespace {

struct Palette {
    Rgb base, stripe, light, eye;
    double stripes;  // strength of the tabby pattern, 0 for none
    bool tuxedo;
};

Palette PaletteOf(Coat coat) {
    switch (coat) {
        case Coat::GingerTabby:
            return {Hex(0xD4843A), Hex(0x8E4516), Hex(0xF3DCB4), Hex(0xB8A22A), 1.0, false};
        case Coat::SilverTabby:
            return {Hex(0xB4B6B9), Hex(0x2A2B2F), Hex(0xEDEDEA), Hex(0x5FAE4E), 1.0, false};
        case Coat::Tuxedo:
            return {Hex(0x1D1D21), Hex(0x111114), Hex(0xF1F1EC), Hex(0xD9B233), 0.0, true};
    }
    return {};
}

double Band(double s, double width) {
    // A soft stripe of the given share of each period around every whole number of s.
    const double d = std::fabs(s - std::round(s));
    return 1.0 - Smooth((d - width * 0.5) / 0.08 + 0.5);
}

Rgb PaintEye(const Egg& e, V3 p, double v, const Palette& pal) {
    const V3 centre = e.a + (e.b - e.a) * v;
    const V3 off = p - centre;
    const double across = Dot(off, e.Side()), up = Dot(off, e.Across());
    if (v < 0.5) return Hex(0x202020);
    Rgb c = MixRgb(Scale(pal.eye, 0.55), pal.eye, Smooth((v - 0.5) / 0.35));
    const double slit = std::fabs(across) < 0.05 + 0.05 * (1.0 - Smooth((v - 0.75) / 0.25));
    if (v > 0.72 && slit) c = Hex(0x0B0B0B);
    if (v > 0.8 && std::hypot(across - 0.07, up - 0.08) < 0.05) c = Hex(0xFFFFFF);
    if (v < 0.58) c = MixRgb(Hex(0x151515), c, (v - 0.5) / 0.08);
    return c;
}

Rgb Fur(const Egg& e, V3 p, V3 n, const Palette& pal) {
    const double grain = 0.88 + 0.24 * Fbm(p.x * 3.1, p.y * 3.1, p.z * 3.1, 7, 3);
    Rgb light = pal.light;
    // How much of the light underside shows: belly, throat, muzzle, chin, the paws.
    double under = 0.0;
    switch (e.part) {
        case Part::Belly:
            under = 1.0;
            break;
        case Part::Muzzle:
        case Part::Jaw:
            under = pal.tuxedo ? 1.0 : 0.75;
            break;
        case Part::Cheek:
            under = pal.tuxedo ? 0.0 : 0.25 * Smooth(-n.y * 2.0 + 0.5);
            break;
        case Part::Paw:
            under = pal.tuxedo ? 1.0 : 0.55;
            break;
        case Part::Leg:
            under = pal.tuxedo ? Smooth((1.4 - p.y) * 2.0) : 0.0;
            break;
        default:
            under = Smooth((-n.y - 0.45) * 3.0) * (pal.tuxedo ? 0.0 : 0.7);
    }
    if (pal.tuxedo && (e.part == Part::Body || e.part == Part::Neck) && p.z < -1.5)
        under = std::max(under, Smooth((-n.y - 0.1) * 3.0) * Smooth((-n.z - 0.2) * 2.5 + 0.6));
    if (pal.tuxedo && e.part == Part::Head && p.z < -5.2 && p.y < 6.1 && std::fabs(p.x) < 0.5)
        under = std::max(under, 0.85);

    double stripe = 0.0;
    if (pal.stripes > 0) {
        const double wobble = 0.9 * (Fbm(p.x * 0.7, p.y * 0.7, p.z * 0.7, 11, 2) - 0.5);
        switch (e.part) {
            case Part::Body:
            case Part::Neck:
                stripe = Band(p.z * 0.62 + 0.25 * std::sin(p.y * 1.7) + wobble, 0.38) *
                         Smooth((n.y + 0.35) * 2.5);
                // A dark line along the spine.
                stripe = std::max(stripe, Smooth((n.y - 0.93) * 20.0));
                break;
            case Part::Leg:
            case Part::Paw:
                stripe = Band(p.y * 0.85 + wobble * 0.5, 0.35) * 0.85;
                break;
            case Part::Tail:
                stripe = Band(p.z * 0.55 + wobble * 0.3, 0.4);
                break;
            case Part::Head:
                // The tabby's "M": fine dark lines over the forehead and stripes down the cheeks.
                if (n.y > 0.2 && p.z > -5.6)
                    stripe = Band(p.x * 2.6 + 0.5, 0.3) * Smooth((n.y - 0.2) * 4.0);
                else
                    stripe = Band(p.z * 1.4 + p.y * 0.8, 0.25) * Smooth((std::fabs(n.x) - 0.5) * 4);
                break;
            case Part::Cheek:
                stripe = Band(p.y * 2.2 - p.z * 0.6, 0.25) * 0.7;
                break;
            case Part::Ear:
                stripe = 0.0;
                break;
            default:
                break;
        }
        stripe *= pal.stripes;
    }
    if (e.part == Part::Tail && pal.stripes > 0 && p.z > 12.5) stripe = 1.0;  // dark tail tip
    Rgb c = MixRgb(pal.base, pal.stripe, stripe * 0.85);
    c = MixRgb(c, light, under);
    return Scale(c, grain);
}

Rgb Paint(const Egg& e, double u, double v, const Palette& pal) {
    const V3 p = e.Point(u, v), n = e.Normal(u, v);
    switch (e.part) {
        case Part::Eye:
            return PaintEye(e, p, v, pal);
        case Part::Nose:
            return MixRgb(Hex(0xE08F98), Hex(0x9C5560), Smooth(-n.y * 2.0));
        case Part::Tongue:
            return Hex(0xD96A7A);
        case Part::Ear: {
            const double inner = Smooth((-n.z - 0.25) * 3.0) * (1.0 - Smooth((v - 0.8) * 8.0));
            Rgb outside = Fur(e, p, n, pal);
            return MixRgb(outside, Hex(0xE3A3A8), inner * 0.9);
        }
        case Part::Paw:
            if (n.y < -0.55) return Hex(pal.tuxedo ? 0xD99AA0 : 0x6B4A48);
            break;
        default:
            break;
    }
    return Fur(e, p, n, pal);
}

}  // namespace

Image PaintCoat(const CatModel& cat, Coat coat) {
    const Palette pal = PaletteOf(coat);
    Image image(kSkinSize, kSkinSize);
    const int size = kSkinSize;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) image.Set(x, y, pal.base);
    for (const Egg& e : cat.parts) {
        const Chart& c = e.chart;
        // The margin round each chart repeats its edge, so filtering never reaches a neighbour.
        const int x0 = int(std::floor(c.s0 * size)) - 3, x1 = int(std::ceil(c.s1 * size)) + 3;
        const int y0 = int(std::floor(c.t0 * size)) - 3, y1 = int(std::ceil(c.t1 * size)) + 3;
        for (int y = std::max(0, y0); y < std::min(size, y1); ++y) {
            for (int x = std::max(0, x0); x < std::min(size, x1); ++x) {
                const double u = Clamp(((x + 0.5) / size - c.s0) / (c.s1 - c.s0), 0.0, 1.0);
                const double v = Clamp(((y + 0.5) / size - c.t0) / (c.t1 - c.t0), 0.0, 1.0);
                image.Set(x, y, Paint(e, u, v, pal));
            }
        }
    }
    return image;
}

}  // namespace packgen
