#include "tools/packgen/skins.h"

#include <algorithm>
#include <cmath>

#include "tools/packgen/noise.h"

namespace packgen {

namespace {

// The tabby patterns: mackerel (narrow stripes down the sides from a line along the spine)
// and classic (a bull's-eye on each flank and three lines along the back).
enum class Pattern { None, Mackerel, Classic };

struct Palette {
    Rgb base, stripe, light, eye;
    Pattern pattern;
    bool tuxedo;
};

Palette PaletteOf(Coat coat) {
    switch (coat) {
        case Coat::GingerTabby:
            return {Hex(0xD98B42), Hex(0x9A4C18),    Hex(0xF5DDB8),
                    Hex(0xC2A12A), Pattern::Classic, false};
        case Coat::SilverTabby:
            return {Hex(0xC4C6C8), Hex(0x26272B),     Hex(0xF2F2EE),
                    Hex(0x6DB152), Pattern::Mackerel, false};
        case Coat::Tuxedo:
            return {Hex(0x1B1B1F), Hex(0x111114), Hex(0xF4F4EF),
                    Hex(0xD9B233), Pattern::None, true};
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

// How much of the light underside shows on a tabby: belly, throat, muzzle, chin, paws.
double TabbyLight(Part part, V3 n) {
    switch (part) {
        case Part::Muzzle:
        case Part::Jaw:
            return 0.75;
        case Part::Cheek:
            return 0.3 * Smooth(-n.y * 2.0 + 0.5);
        case Part::Paw:
            return 0.55;
        case Part::Leg:
            return 0.25 * Smooth((-n.z - 0.2) * 2.0);
        default:
            return 0.8 * Smooth((-n.y - 0.15) * 2.5);
    }
}

// The tuxedo's white: muzzle and chin, a blaze up the nose that shows from above, the bib and
// the belly, and white socks.
double TuxedoWhite(Part part, V3 p, V3 n) {
    switch (part) {
        case Part::Muzzle:
        case Part::Jaw:
        case Part::Paw:
            return 1.0;
        case Part::Leg:
            return Smooth(((p.z < 0 ? 1.3 : 1.7) - p.y) * 3.0);
        case Part::Head: {
            // An inverted V from the forehead widening down to the muzzle.
            const double reach = 0.1 + 0.3 * Smooth((-4.1 - p.z) * 2.5);
            return p.z < -3.9 ? Smooth((reach - std::fabs(p.x)) * 12.0) : 0.0;
        }
        case Part::Body: {
            const double bib = Smooth((-n.y + 0.1) * 3.0) * Smooth((-1.0 - p.z) * 2.0);
            const double belly = Smooth((-n.y - 0.6) * 4.0);
            return std::max(bib, belly);
        }
        default:
            return 0.0;
    }
}

// A tabby's dark marks at a point of the body; `along` is the position along a tube (0..1).
double TabbyMarks(Part part, V3 p, V3 n, double along, Pattern pattern) {
    const double wobble = 0.5 * (Fbm(p.x * 0.9, p.y * 0.9, p.z * 0.9, 11, 2) - 0.5);
    const double sides = Smooth((n.y + 0.35) * 2.5);  // the marks fade out under the body
    switch (part) {
        case Part::Body: {
            const double spine = Smooth((0.16 - std::fabs(p.x)) * 14.0) * Smooth((n.y - 0.5) * 4.0);
            if (pattern == Pattern::Mackerel) {
                // Narrow stripes that run down the sides and sweep back towards the belly.
                const double s = p.z * 1.35 + 0.35 * (4.9 - p.y) + wobble;
                return std::max(spine, Band(s, 0.34) * sides);
            }
            // Classic: a bull's-eye round a point on each flank, three lines along the back.
            const double ring = std::hypot(p.z - 1.0, (p.y - 4.0) * 1.2);
            const double flank =
                Band(ring * 1.1 + wobble * 0.6, 0.38) * Smooth((std::fabs(n.x) - 0.25) * 3.0);
            const double lines = Band(p.x * 2.6 + wobble * 0.3, 0.42) * Smooth((n.y - 0.55) * 4.0);
            const double neck = Band(p.z * 1.3 + wobble, 0.35) * Smooth((-1.6 - p.z) * 3.0);
            return std::max({flank * sides, lines, neck * sides, spine});
        }
        case Part::Leg:
        case Part::Paw:
            return Band(p.y * 1.5 + wobble * 0.4, 0.36) * 0.9;
        case Part::Tail:
            // Rings along the tail and a dark tip.
            return std::max(Band(along * 9.0 + 0.3 + wobble * 0.2, 0.42),
                            Smooth((along - 0.9) * 20));
        case Part::Head:
            if (n.y > 0.2 && p.z > -4.6) {
                // Lines over the crown that zig-zag into an "M" above the eyes.
                const double zig = p.z < -3.9 ? 0.3 * std::fabs(std::sin((p.z + 3.9) * 6.0)) : 0.0;
                return Band((std::fabs(p.x) + zig) * 3.3 + 0.5, 0.3) * Smooth((n.y - 0.2) * 4.0);
            }
            // A dark line back from the outer corner of each eye.
            return Band((p.y - 5.5 + 0.35 * (p.z + 4.3)) * 3.0, 0.28) *
                   Smooth((std::fabs(n.x) - 0.45) * 4.0);
        case Part::Cheek:
            return Band(p.y * 3.0 - p.z * 0.8, 0.25) * 0.7;
        case Part::Ear:
            return 0.45;  // the backs of the ears are darker
        default:
            return 0.0;
    }
}

Rgb Fur(const Surface& e, V3 p, V3 n, double along, const Palette& pal) {
    const double grain = 0.88 + 0.24 * Fbm(p.x * 3.1, p.y * 3.1, p.z * 3.1, 7, 3);
    if (pal.tuxedo) return Scale(MixRgb(pal.base, pal.light, TuxedoWhite(e.part, p, n)), grain);
    const double marks =
        pal.pattern == Pattern::None ? 0.0 : TabbyMarks(e.part, p, n, along, pal.pattern);
    Rgb c = MixRgb(pal.base, pal.stripe, marks * 0.85);
    c = MixRgb(c, pal.light, TabbyLight(e.part, n) * (1.0 - 0.6 * marks));
    return Scale(c, grain);
}

Rgb Paint(const Surface& e, double u, double v, const Palette& pal) {
    const V3 p = e.Point(u, v), n = e.Normal(u, v);
    switch (e.part) {
        case Part::Eye:
            return PaintEye(dynamic_cast<const Egg&>(e), p, v, pal);
        case Part::Nose:
            return MixRgb(Hex(0xE08F98), Hex(0x9C5560), Smooth(-n.y * 2.0));
        case Part::Tongue:
            return Hex(0xD96A7A);
        case Part::Ear: {
            const double inner = Smooth((-n.z - 0.25) * 3.0) * (1.0 - Smooth((v - 0.8) * 8.0));
            Rgb outside = Fur(e, p, n, v, pal);
            return MixRgb(outside, Hex(0xE3A3A8), inner * 0.9);
        }
        case Part::Paw:
            if (n.y < -0.55) return Hex(pal.tuxedo ? 0xD99AA0 : 0x6B4A48);
            break;
        default:
            break;
    }
    return Fur(e, p, n, v, pal);
}

}  // namespace

Image PaintCoat(const CatModel& cat, Coat coat) {
    const Palette pal = PaletteOf(coat);
    Image image(kSkinSize, kSkinSize);
    const int size = kSkinSize;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) image.Set(x, y, pal.base);
    for (const Surface* part : cat.Surfaces()) {
        const Surface& e = *part;
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
