// Immediate-mode drawing of a static (never skinned) model, recorded once into a display list.
#include <GL/gl.h>

#include "model/ms3d.h"

void MS3D::Render() const {
    const auto CornersInRange = [this](const MS3DTRIANGLE& tri) {
        for (const uint16_t v : tri.vertexIndices)
            if (v >= vertices.size()) return false;
        return true;
    };
    for (const MS3DGROUP& group : groups) {
        // A group without a material is drawn untextured, whatever the caller has bound.
        const bool untextured = group.materialIndex < 0;
        if (untextured) {
            glPushAttrib(GL_ENABLE_BIT);
            glDisable(GL_TEXTURE_2D);
        }
        glBegin(GL_TRIANGLES);
        for (const uint16_t index : group.triangleIndices) {
            if (index >= triangles.size()) continue;
            const MS3DTRIANGLE& tri = triangles[index];
            if (!CornersInRange(tri)) continue;  // a loaded model always passes
            for (int k = 0; k < 3; ++k) {
                glNormal3fv(tri.normals[k]);
                // t is flipped, as the model instance's buffer stores it.
                glTexCoord2f(tri.s[k], 1.0f - tri.t[k]);
                glVertex3fv(vertices[tri.vertexIndices[k]].position);
            }
        }
        glEnd();
        if (untextured) glPopAttrib();
    }
}
