// Double-precision 3-vector for building geometry and poses. The engine's own types (VECTOR3D,
// MATRIX) are used where a value must match what the engine computes; this one is for shaping.
#pragma once

#include <cmath>

namespace packgen {

struct V3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline V3 operator*(double s, V3 a) {
    return a * s;
}
inline double Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(V3 a) {
    return std::sqrt(Dot(a, a));
}
inline V3 Normalized(V3 a) {
    const double l = Length(a);
    return l > 0.0 ? a * (1.0 / l) : a;
}
inline V3 Lerp(V3 a, V3 b, double t) {
    return a + (b - a) * t;
}

constexpr double kPi = 3.14159265358979323846;

inline double Clamp(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}
inline double Mix(double a, double b, double t) {
    return a + (b - a) * t;
}
// Smooth 0..1 ramp with zero slope at both ends.
inline double Smooth(double t) {
    t = Clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}
// Ramp from 0 at a to 1 at b, eased.
inline double Ramp(double t, double a, double b) {
    return Smooth((t - a) / (b - a));
}

}  // namespace packgen
