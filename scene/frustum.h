// The six clipping planes of the current view, taken from the GL matrices. The scene refreshes
// them once per frame after the camera transform, so they are in world coordinates; the toy
// tests itself against them to know whether it is on screen.
#pragma once

#include "math/vector3d.h"

class FRUSTUM {
  public:
    // Plane indices.
    enum { kRight = 0, kLeft = 1, kBottom = 2, kTop = 3, kFar = 4, kNear = 5, kPlaneCount = 6 };

    // a, b, c, d per plane; (a, b, c) a unit normal pointing into the view, so a*x + b*y + c*z + d
    // is the signed distance of a point, positive inside.
    float frustum[kPlaneCount][4] = {};

    // Recomputes the planes from the current projection and modelview matrices. Only the
    // elements a symmetric perspective sets are read from the projection.
    void ExtractFrustumFaster();
    // Computes the planes from given column-major matrices (what ExtractFrustumFaster reads).
    void ExtractFromMatrices(const float projection[16], const float modelview[16]);

    // 0 when the sphere lies wholly outside some plane (a distance of exactly -radius counts as
    // outside), else its centre's distance from the near plane plus the radius.
    float SphereInFrustum(VECTOR3D centre, float radius) const;

    // The point of `plane` that shares two coordinates with p: y and z for the side planes, x and z
    // for bottom and top, x and y for far and near. (0, 0, 0) for a plane index outside 0..5.
    VECTOR3D PointAtEdgeOfFrustum(int plane, VECTOR3D p) const;
};
