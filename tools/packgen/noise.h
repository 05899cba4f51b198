// Deterministic noise for painting: the same coordinates give the same value on every run.
#pragma once

#include <cstdint>

namespace packgen {

// 0..1 from integer coordinates and a seed.
double Hash(int32_t x, int32_t y, int32_t z, uint32_t seed);
// Smooth value noise in 0..1 over 3-D space, and a few octaves of it.
double ValueNoise(double x, double y, double z, uint32_t seed);
double Fbm(double x, double y, double z, uint32_t seed, int octaves);

}  // namespace packgen
