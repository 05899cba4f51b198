#include "scene/ground.h"

#include <GL/gl.h>

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

void DrawGroundQuads(VECTOR3D bounds, bool tiled) {
    const float hx = bounds.x;
    const float hz = bounds.z;
    glBegin(GL_QUADS);
    for (const VECTOR3D& c : GroundQuadCentres(bounds, tiled)) {
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(c.x - hx, 0.0f, c.z + hz);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(c.x + hx, 0.0f, c.z + hz);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(c.x + hx, 0.0f, c.z - hz);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(c.x - hx, 0.0f, c.z - hz);
    }
    glEnd();
}
