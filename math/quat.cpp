#include "math/quat.h"

#include <cmath>

MATRIX QuatToRotationMatrix(QUAT q) {
    const double x = q.x, y = q.y, z = q.z, w = q.w;
    MATRIX r;
    r.m[0] = 1.0 - 2.0 * (y * y + z * z);
    r.m[1] = 2.0 * (x * y + z * w);
    r.m[2] = 2.0 * (x * z - y * w);
    r.m[3] = 0.0;
    r.m[4] = 2.0 * (x * y - z * w);
    r.m[5] = 1.0 - 2.0 * (z * z + x * x);
    r.m[6] = 2.0 * (y * z + x * w);
    r.m[7] = 0.0;
    r.m[8] = 2.0 * (x * z + y * w);
    r.m[9] = 2.0 * (y * z - x * w);
    r.m[10] = 1.0 - 2.0 * (x * x + y * y);
    r.m[11] = 0.0;
    r.m[12] = r.m[13] = r.m[14] = 0.0;
    r.m[15] = 1.0;
    return r;
}

QUAT RotationToQuat(VECTOR3D angle) {
    constexpr double kPi = 3.141592653589793;
    const double hx = angle.x * kPi / 180.0 * 0.5;
    const double hy = angle.y * kPi / 180.0 * 0.5;
    const double hz = angle.z * kPi / 180.0 * 0.5;
    const double sx = std::sin(hx), cx = std::cos(hx);
    const double sy = std::sin(hy), cy = std::cos(hy);
    const double sz = std::sin(hz), cz = std::cos(hz);
    QUAT q;
    q.x = sx * cy * cz - cx * sy * sz;
    q.y = cx * sy * cz + sx * cy * sz;
    q.z = cx * cy * sz - sx * sy * cz;
    q.w = cx * cy * cz + sx * sy * sz;
    return q;
}

QUAT QuatSlerp(const QUAT* from, const QUAT* to, double t) {
    QUAT target = *to;
    double cosom = from->x * to->x + from->y * to->y + from->z * to->z + from->w * to->w;
    if (cosom < 0.0) {
        cosom = -cosom;
        target.x = -target.x;
        target.y = -target.y;
        target.z = -target.z;
        target.w = -target.w;
    }
    double scale0 = 1.0 - t;
    double scale1 = t;
    if (1.0 - cosom > 1e-5) {
        const double omega = std::acos(cosom);
        const double sinom = std::sin(omega);
        scale0 = std::sin((1.0 - t) * omega) / sinom;
        scale1 = std::sin(t * omega) / sinom;
    }
    QUAT r;
    r.x = scale0 * from->x + scale1 * target.x;
    r.y = scale0 * from->y + scale1 * target.y;
    r.z = scale0 * from->z + scale1 * target.z;
    r.w = scale0 * from->w + scale1 * target.w;
    return r;
}
