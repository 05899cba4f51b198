// 4x4 double matrix in OpenGL column-major order: m[4 * column + row]; m[12..14] the translation.
// Point transforms compute in double from the float components and round each result to float.
#pragma once

#include "math/vector3d.h"

struct MATRIX {
    double m[16];

    MATRIX() { Identity(); }
    void Identity();
    // Sets m12, m13, m14 to t; the other elements are untouched.
    void SetTranslation(VECTOR3D t);
};

// c = a * b: applied to a point, b acts first, then a.
MATRIX MultiplyMatrix(const MATRIX& a, const MATRIX& b);

// Rotation from three angles in degrees, with exactly this sign convention (m2 = -sin y).
MATRIX MatrixFromAngle(VECTOR3D angle);

VECTOR3D MatrixPointMultiply(const MATRIX& m, VECTOR3D p);
VECTOR3D MatrixRotatePoint(const MATRIX& m, VECTOR3D p);
// Multiplies by the transposed 3x3: the inverse of a pure rotation.
VECTOR3D MatrixInverseRotatePoint(const MATRIX& m, VECTOR3D p);
VECTOR3D MatrixTranslatePoint(const MATRIX& m, VECTOR3D p);
VECTOR3D MatrixInverseTranslatePoint(const MATRIX& m, VECTOR3D p);
