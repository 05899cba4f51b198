// Double-precision quaternion (x, y, z vector part, w scalar part) for joint rotations.
#pragma once

#include "math/matrix.h"
#include "math/vector3d.h"

struct QUAT {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;

    void Identity() { x = y = z = 0.0, w = 1.0; }
};

// Rotation matrix of q; q is used as it is, not normalised first.
MATRIX QuatToRotationMatrix(QUAT q);
// Rotation about X, then Y, then Z by three angles in degrees.
QUAT RotationToQuat(VECTOR3D angle);
// Spherical interpolation along the shorter arc; linear when the two are nearly equal.
QUAT QuatSlerp(const QUAT* from, const QUAT* to, double t);
