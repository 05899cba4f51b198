#include "math/vector3d.h"

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;

double ToRadians(double degrees) {
    return degrees * kPi / 180.0;
}

}  // namespace

void VECTOR3D::Normalize() {
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0f) return;
    x /= len;
    y /= len;
    z /= len;
}

VECTOR3D VECTOR3D::operator/(float f) const {
    return VECTOR3D{x / f, y / f, z / f};
}

VECTOR3D MakePoint(float x, float y, float z) {
    return VECTOR3D{x, y, z};
}

point2d Make2DPoint(float x, float y) {
    return point2d{x, y};
}

double DistanceBetweenVectors(VECTOR3D a, VECTOR3D b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    const float sum = dx * dx + dy * dy + dz * dz;
    return sum;
}

VECTOR3D AngleBetweenVectors(VECTOR3D from, VECTOR3D to) {
    VECTOR3D d{to.x - from.x, to.y - from.y, to.z - from.z};
    if (std::fabs(d.x) < 1.0f) d.x = d.x + 0.1f;
    if (from.x == to.x && from.y == to.y && from.z == to.z) d.z += 1.0f;

    const float squared = d.x * d.x + d.y * d.y + d.z * d.z;
    const double len = std::sqrt(static_cast<double>(squared));

    // Cross product of the reference axis (0, 0, 1) with d.
    const double cx = -static_cast<double>(d.y);
    const double cy = d.x;
    const double clen = std::sqrt(cx * cx + cy * cy);
    const double ax = clen != 0.0 ? cx / clen : cx;
    const double ay = clen != 0.0 ? cy / clen : cy;

    const double angle = std::acos(d.z / len) * 180.0 / kPi;
    return VECTOR3D{static_cast<float>(ax * angle), static_cast<float>(ay * angle), 0.0f};
}

void Rotate(VECTOR3D* v, float ax, float ay, float az) {
    if (ax == 0.0f && ay == 0.0f && az == 0.0f) return;
    const float rx = static_cast<float>(ToRadians(ax));
    const float ry = static_cast<float>(ToRadians(ay));
    const float rz = static_cast<float>(ToRadians(az));
    if (rx != 0.0f) {
        const double c = std::cos(static_cast<double>(rx)), s = std::sin(static_cast<double>(rx));
        const float y = static_cast<float>(c * v->y - s * v->z);
        const float z = static_cast<float>(s * v->y + c * v->z);
        v->y = y;
        v->z = z;
    }
    if (ry != 0.0f) {
        const double c = std::cos(static_cast<double>(ry)), s = std::sin(static_cast<double>(ry));
        const float x = static_cast<float>(c * v->x + s * v->z);
        const float z = static_cast<float>(c * v->z - s * v->x);
        v->x = x;
        v->z = z;
    }
    if (rz != 0.0f) {
        const double c = std::cos(static_cast<double>(rz)), s = std::sin(static_cast<double>(rz));
        const float x = static_cast<float>(c * v->x - s * v->y);
        const float y = static_cast<float>(s * v->x + c * v->y);
        v->x = x;
        v->y = y;
    }
}
