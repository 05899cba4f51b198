#include "math/matrix.h"

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;

VECTOR3D ToVector(double x, double y, double z) {
    return VECTOR3D{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

}  // namespace

void MATRIX::Identity() {
    for (double& e : m) e = 0.0;
    m[0] = m[5] = m[10] = m[15] = 1.0;
}

void MATRIX::SetTranslation(VECTOR3D t) {
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
}

MATRIX MultiplyMatrix(const MATRIX& a, const MATRIX& b) {
    MATRIX c;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            c.m[4 * j + i] = a.m[i] * b.m[4 * j] + a.m[4 + i] * b.m[4 * j + 1] +
                             a.m[8 + i] * b.m[4 * j + 2] + a.m[12 + i] * b.m[4 * j + 3];
        }
    }
    return c;
}

MATRIX MatrixFromAngle(VECTOR3D angle) {
    const double rx = angle.x * kPi / 180.0;
    const double ry = angle.y * kPi / 180.0;
    const double rz = angle.z * kPi / 180.0;
    const double cx = std::cos(rx), sx = std::sin(rx);
    const double cy = std::cos(ry), sy = std::sin(ry);
    const double cz = std::cos(rz), sz = std::sin(rz);

    MATRIX r;
    r.m[0] = cy * cz;
    r.m[1] = -cy * sz;
    r.m[2] = -sy;
    r.m[3] = 0.0;
    r.m[4] = cx * sz - sx * sy * cz;
    r.m[5] = cx * cz + sx * sy * sz;
    r.m[6] = -sx * cy;
    r.m[7] = 0.0;
    r.m[8] = cx * sy * cz + sx * sz;
    r.m[9] = sx * cz - cx * sy * sz;
    r.m[10] = cx * cy;
    r.m[11] = 0.0;
    r.m[12] = r.m[13] = r.m[14] = 0.0;
    r.m[15] = 1.0;
    return r;
}

VECTOR3D MatrixPointMultiply(const MATRIX& m, VECTOR3D p) {
    const double x = p.x, y = p.y, z = p.z;
    return ToVector(m.m[0] * x + m.m[4] * y + m.m[8] * z + m.m[12],
                    m.m[1] * x + m.m[5] * y + m.m[9] * z + m.m[13],
                    m.m[2] * x + m.m[6] * y + m.m[10] * z + m.m[14]);
}

VECTOR3D MatrixRotatePoint(const MATRIX& m, VECTOR3D p) {
    const double x = p.x, y = p.y, z = p.z;
    return ToVector(m.m[0] * x + m.m[4] * y + m.m[8] * z, m.m[1] * x + m.m[5] * y + m.m[9] * z,
                    m.m[2] * x + m.m[6] * y + m.m[10] * z);
}

VECTOR3D MatrixInverseRotatePoint(const MATRIX& m, VECTOR3D p) {
    const double x = p.x, y = p.y, z = p.z;
    return ToVector(m.m[0] * x + m.m[1] * y + m.m[2] * z, m.m[4] * x + m.m[5] * y + m.m[6] * z,
                    m.m[8] * x + m.m[9] * y + m.m[10] * z);
}

VECTOR3D MatrixTranslatePoint(const MATRIX& m, VECTOR3D p) {
    return ToVector(p.x + m.m[12], p.y + m.m[13], p.z + m.m[14]);
}

VECTOR3D MatrixInverseTranslatePoint(const MATRIX& m, VECTOR3D p) {
    return ToVector(p.x - m.m[12], p.y - m.m[13], p.z - m.m[14]);
}
