#include "scene/ground.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// The fog factor is computed per pixel in single precision from interpolated distances; a
// thousandth of the distance keeps its rounding from reaching the clamped value.
constexpr double kFogMargin = 1e-3;

// The quad lies wholly beyond the fog's end, whichever eye distance the driver takes: the view
// axis's (|z|) or the straight one, which is never smaller. Over a quad that lies wholly before
// or wholly behind the eye, |z| is smallest at a corner.
bool WhollyFogged(const std::array<VECTOR3D, 4>& corners, const float* m, const GroundFog& fog) {
    double nearestDepth = INFINITY;
    int behind = 0;
    for (const VECTOR3D& p : corners) {
        const double z = double(m[2]) * p.x + double(m[6]) * p.y + double(m[10]) * p.z + m[14];
        nearestDepth = std::min(nearestDepth, std::fabs(z));
        behind += z > 0.0 ? 1 : 0;
    }
    const bool oneSide = behind == 0 || behind == 4;
    return oneSide && nearestDepth >= fog.end * (1.0 + kFogMargin);
}

}  // namespace

std::vector<VECTOR3D> GroundQuadCentres(VECTOR3D bounds, bool tiled) {
    if (!tiled) return {VECTOR3D{0.0f, 0.0f, 0.0f}};
    std::vector<VECTOR3D> centres;
    centres.reserve(25);
    for (int i = -2; i <= 2; ++i) {
        for (int j = -2; j <= 2; ++j) {
            centres.push_back(VECTOR3D{2.0f * bounds.x * i, 0.0f, 2.0f * bounds.z * j});
        }
    }
    return centres;
}

std::array<VECTOR3D, 4> GroundQuadCorners(VECTOR3D bounds, VECTOR3D c) {
    const float hx = bounds.x;
    const float hz = bounds.z;
    return {VECTOR3D{c.x - hx, 0.0f, c.z + hz}, VECTOR3D{c.x + hx, 0.0f, c.z + hz},
            VECTOR3D{c.x + hx, 0.0f, c.z - hz}, VECTOR3D{c.x - hx, 0.0f, c.z - hz}};
}

GroundPlan PlanGround(VECTOR3D bounds, bool tiled, const float modelview[16],
                      const GroundFog& fog) {
    GroundPlan plan;
    const float reach = tiled ? 5.0f : 1.0f;
    plan.outline = GroundQuadCorners(VECTOR3D{bounds.x * reach, 0.0f, bounds.z * reach}, {});
    for (const VECTOR3D& c : GroundQuadCentres(bounds, tiled)) {
        if (fog.on && fog.hiddenIsClear &&
            WhollyFogged(GroundQuadCorners(bounds, c), modelview, fog)) {
            plan.allDrawn = false;
        } else {
            plan.drawn.push_back(c);
        }
    }
    return plan;
}

void DrawGroundQuads(VECTOR3D bounds, const std::vector<VECTOR3D>& centres) {
    static const float kTexCoords[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    glBegin(GL_QUADS);
    for (const VECTOR3D& c : centres) {
        const std::array<VECTOR3D, 4> corners = GroundQuadCorners(bounds, c);
        for (int i = 0; i < 4; ++i) {
            glTexCoord2fv(kTexCoords[i]);
            glVertex3f(corners[i].x, corners[i].y, corners[i].z);
        }
    }
    glEnd();
}
