#include "scene/frustum.h"

#include <GL/gl.h>

#include <cmath>

void FRUSTUM::ExtractFrustumFaster() {
    float projection[16];
    float modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    ExtractFromMatrices(projection, modelview);
}

void FRUSTUM::ExtractFromMatrices(const float p[16], const float m[16]) {
    // Projection times modelview, using only P0, P5, P10, P11 and P14: the elements a symmetric
    // perspective sets. The scene only ever uses such a projection.
    float k[16];
    for (int i = 0; i < 4; ++i) {
        k[4 * i] = m[4 * i] * p[0];
        k[4 * i + 1] = m[4 * i + 1] * p[5];
        k[4 * i + 2] = m[4 * i + 2] * p[10] + m[4 * i + 3] * p[14];
        k[4 * i + 3] = m[4 * i + 2] * p[11];
    }
    // Each plane is the fourth row of K plus or minus one of the other rows.
    const int rows[kPlaneCount] = {0, 0, 1, 1, 2, 2};
    const float signs[kPlaneCount] = {-1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f};
    for (int plane = 0; plane < kPlaneCount; ++plane) {
        float* f = frustum[plane];
        for (int column = 0; column < 4; ++column) {
            f[column] = k[4 * column + 3] + signs[plane] * k[4 * column + rows[plane]];
        }
        const float length = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
        // A degenerate matrix gives a zero normal; leave the plane unscaled rather than NaN.
        if (length == 0.0f) continue;
        for (float& value : frustum[plane]) value /= length;
    }
}

float FRUSTUM::SphereInFrustum(VECTOR3D c, float radius) const {
    float distance = 0.0f;
    for (const float* f : frustum) {
        distance = f[0] * c.x + f[1] * c.y + f[2] * c.z + f[3];
        if (distance <= -radius) return 0.0f;
    }
    // The loop ends on the near plane.
    return distance + radius;
}

VECTOR3D FRUSTUM::PointAtEdgeOfFrustum(int plane, VECTOR3D p) const {
    VECTOR3D r{0.0f, 0.0f, 0.0f};
    if (plane < 0 || plane >= kPlaneCount) return r;
    const float* f = frustum[plane];
    if (plane <= kLeft) {
        r.y = p.y;
        r.z = p.z;
        r.x = -(f[1] * r.y + f[2] * r.z + f[3]) / f[0];
    } else if (plane <= kTop) {
        r.x = p.x;
        r.z = p.z;
        r.y = -(f[0] * r.x + f[2] * r.z + f[3]) / f[1];
    } else {
        r.x = p.x;
        r.y = p.y;
        r.z = -(f[0] * r.x + f[1] * r.y + f[3]) / f[2];
    }
    return r;
}
