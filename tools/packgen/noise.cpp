#include "tools/packgen/noise.h"

#include <cmath>

namespace packgen {

double Hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= uint32_t(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= uint32_t(y) * 0xC2B2AE35u;
    h = (h << 11) | (h >> 21);
    h ^= uint32_t(z) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return double(h) / 4294967295.0;
}

namespace {
double Fade(double t) {
    return t * t * (3.0 - 2.0 * t);
}
double Lerp(double a, double b, double t) {
    return a + (b - a) * t;
}
}  // namespace

double ValueNoise(double x, double y, double z, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int32_t ix = int32_t(fx), iy = int32_t(fy), iz = int32_t(fz);
    const double tx = Fade(x - fx), ty = Fade(y - fy), tz = Fade(z - fz);
    double c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d) c[a][b][d] = Hash(ix + a, iy + b, iz + d, seed);
    const double x00 = Lerp(c[0][0][0], c[1][0][0], tx), x10 = Lerp(c[0][1][0], c[1][1][0], tx);
    const double x01 = Lerp(c[0][0][1], c[1][0][1], tx), x11 = Lerp(c[0][1][1], c[1][1][1], tx);
    return Lerp(Lerp(x00, x10, ty), Lerp(x01, x11, ty), tz);
}

double Fbm(double x, double y, double z, uint32_t seed, int octaves) {
    double sum = 0, amplitude = 0.5, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * ValueNoise(x, y, z, seed + uint32_t(o) * 7919u);
        total += amplitude;
        x *= 2.03;
        y *= 2.03;
        z *= 2.03;
        amplitude *= 0.5;
    }
    return sum / total;
}

}  // namespace packgen
