// Footprints: every cat tracks its four paws; a paw that comes down after having been lifted lays
// a print into the ring all cats share. A print keeps full strength until NUM_FOOTPRINTS newer
// prints exist, then fades out within about a second, and its slot is later reused.
#include <GL/gl.h>

#include "cats/dog_anims.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "scene/damage.h"

namespace {

// A paw below this height (world units at the normal size, scaled with the cat like every other
// length of it) touches the ground. Unscaled, a large cat's paws never came below it and a small
// cat's never rose above it, so neither laid prints.
constexpr double kFootDownHeight = 0.175;
// Laying a print nudges the print NUM_FOOTPRINTS back below full strength so it starts to fade.
constexpr float kFadeNudge = 1.0f / 60.0f;
constexpr float kAlphaScale = 0.2f;
constexpr float kHalfSize = 0.35f;

}  // namespace

void ONEDOG::TrackFeet(DOGCONTROL* dc) {
    if (!joints || footRow < 0 || footRow > 2) return;
    // The half turn about y with which the model is drawn.
    static const MATRIX halfTurn = MatrixFromAngle(VECTOR3D{0.0f, 180.0f, 0.0f});
    const double groundHeight = kFootDownHeight * dc->dogSize;
    for (int i = 0; i < 4; ++i) {
        const int j = dogFeet[footRow][i];
        // A model with fewer joints than the paw table names has no paws to track.
        if (j < 0 || j >= jointCount) continue;
        VECTOR3D q = MatrixPointMultiply(joints[j].absolute, VECTOR3D{0.0f, 0.0f, 0.0f});
        q = MatrixRotatePoint(rotation, q);
        q = MatrixRotatePoint(halfTurn, q);
        footPos[i] = q;
        if (static_cast<double>(q.y) < groundHeight) {
            if (footDown[i] <= 0) {
                dc->AddFootPrint(VECTOR3D{position.x + q.x, position.y + q.y, position.z + q.z},
                                 rotation);
                footDown[i] = 1;
            }
        } else {
            footDown[i] = 0;
        }
    }
}

void DOGCONTROL::AddFootPrint(VECTOR3D p, const MATRIX& m) {
    if (!footprints || numFootprints <= 0) return;
    const int w = nextFootprint;
    const int f = nextFade;
    nextFootprint = w + 1 >= numFootprints ? 0 : w + 1;
    nextFade = f + 1 >= numFootprints ? 0 : f + 1;

    footprints[f].life -= kFadeNudge;
    FOOTPRINT& print = footprints[w];
    // The print this one replaces may still show.
    if (damage && print.life > 0.0f) damage->AddChangePoints(print.corners, 4);
    print.life = 1.0f;
    static const VECTOR3D kCorners[4] = {
        {-1.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 1.0f}, {1.0f, 0.0f, -1.0f}, {-1.0f, 0.0f, -1.0f}};
    const float half = kHalfSize * dogSize;
    for (int i = 0; i < 4; ++i) {
        const VECTOR3D c = MatrixRotatePoint(m, kCorners[i]);
        print.corners[i] = VECTOR3D{c.x * half + p.x, 0.0f, c.z * half + p.z};
    }
    if (damage) damage->AddChangePoints(print.corners, 4);
    ++stats.footprintsLaid;
}

void DOGCONTROL::DrawFootPrints(double dt) {
    FadeFootPrints(dt);
    DrawFootPrintQuads();
}

void DOGCONTROL::FadeFootPrints(double dt) {
    for (int i = 0; footprints && i < numFootprints; ++i) {
        FOOTPRINT& print = footprints[i];
        // Prints at full strength keep it until the nudge starts their fading.
        if (print.life <= 0.0f || print.life >= 1.0f) continue;
        print.life = static_cast<float>(print.life - dt);
        if (damage) damage->AddChangePoints(print.corners, 4);
    }
}

void DOGCONTROL::DrawFootPrintQuads(const DrawSelection* only) const {
    if (!footprints) return;
    glBindTexture(GL_TEXTURE_2D, footprintTexture);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glBegin(GL_QUADS);
    static const float kTexCoords[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
    for (int i = 0; i < numFootprints; ++i) {
        const FOOTPRINT& print = footprints[i];
        // A print that faded out this frame would be drawn with no opacity: it is left out.
        if (print.life <= 0.0f || (only && !only->prints[size_t(i)])) continue;
        glColor4f(0.0f, 0.0f, 0.0f, print.life * kAlphaScale);
        for (int c = 0; c < 4; ++c) {
            glTexCoord2fv(kTexCoords[c]);
            glVertex3f(print.corners[c].x, print.corners[c].y, print.corners[c].z);
        }
    }
    glEnd();
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
