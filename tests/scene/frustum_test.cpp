#include "scene/frustum.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "scene_fixture.h"

namespace {

// The planes of a 45 degree perspective of `aspect` from 0.5 to 3000 after `view`.
FRUSTUM Measure(
    double aspect, void (*view)() = [] {}) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspect, 0.5, 3000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    view();
    FRUSTUM f;
    f.ExtractFrustumFaster();
    return f;
}

}  // namespace

TEST_F(SceneTest, FrustumMeasuresTheViewAtADepth) {
    const double aspect = 4.0 / 3.0;
    const FRUSTUM f = Measure(aspect);
    const VECTOR3D ahead{0.0f, 0.0f, -40.0f};
    const double halfHeight = 40.0 * std::tan(22.5 * 3.141592653589793 / 180.0);
    EXPECT_NEAR(f.PointAtEdgeOfFrustum(FRUSTUM::kTop, ahead).y, halfHeight, 1e-3);
    EXPECT_NEAR(f.PointAtEdgeOfFrustum(FRUSTUM::kRight, ahead).x, halfHeight * aspect, 1e-3);
    EXPECT_NEAR(f.PointAtEdgeOfFrustum(FRUSTUM::kLeft, ahead).x, -halfHeight * aspect, 1e-3);
    EXPECT_NEAR(f.PointAtEdgeOfFrustum(FRUSTUM::kBottom, ahead).y, -halfHeight, 1e-3);
    EXPECT_NEAR(f.PointAtEdgeOfFrustum(FRUSTUM::kNear, VECTOR3D{}).z, -0.5, 1e-3);
    for (int plane : {-1, 6}) ExpectVector(f.PointAtEdgeOfFrustum(plane, ahead), 0, 0, 0);
    for (const float* p : f.frustum)  // unit normals: distances are in scene units
        EXPECT_NEAR(p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1.0, 1e-5);
}

TEST_F(SceneTest, SpheresAreInsideOutsideOrOnTheEdge) {
    // The scene's overview: 40 above the origin looking down with -z up.
    const FRUSTUM f = Measure(1.0, [] { gluLookAt(0, 40, 0, 0, 0, 0, 0, 0, -1); });
    // Inside: how far beyond the near plane it reaches (30 below the eye, radius 2).
    EXPECT_NEAR(f.SphereInFrustum(VECTOR3D{0.0f, 10.0f, 0.0f}, 2.0f), 30.0 - 0.5 + 2.0, 1e-3);
    // Far outside to the side, behind the eye, beyond the far plane.
    for (const VECTOR3D outside : {VECTOR3D{500.0f, 0.0f, 0.0f}, VECTOR3D{0.0f, 60.0f, 0.0f},
                                   VECTOR3D{0.0f, -4000.0f, 0.0f}})
        EXPECT_EQ(f.SphereInFrustum(outside, 2.0f), 0.0f);

    // A sphere whose centre lies exactly its radius beyond a plane is outside; a hair closer it
    // touches the view.
    FRUSTUM box;                                               // all planes zero
    box.frustum[FRUSTUM::kLeft][0] = 1.0f;                     // x >= 0 inside
    for (int i : {0, 2, 3, 4, 5}) box.frustum[i][3] = 100.0f;  // everything else far away
    EXPECT_EQ(box.SphereInFrustum(VECTOR3D{-1.0f, 0.0f, 0.0f}, 1.0f), 0.0f);
    EXPECT_GT(box.SphereInFrustum(VECTOR3D{-0.99f, 0.0f, 0.0f}, 1.0f), 0.0f);
}
