// Three-component float vector and 2-D point, with the free functions the scene computes with.
// Angles are degrees; vector arithmetic is single precision unless a function says otherwise.
#pragma once

struct VECTOR3D {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    // Scales to unit length in place; a vector of length exactly 0 is left as it is.
    void Normalize();
    // Component-wise division; dividing by 0 is the caller's business.
    VECTOR3D operator/(float f) const;
};

struct point2d {
    float x = 0.0f;
    float y = 0.0f;
};

VECTOR3D MakePoint(float x, float y, float z);
point2d Make2DPoint(float x, float y);

// The SQUARED distance between a and b, summed in float. Thresholds are compared with it squared.
double DistanceBetweenVectors(VECTOR3D a, VECTOR3D b);

// The rotation that turns +Z towards the direction from `from` to `to`, as a unit axis scaled by
// the angle in degrees. Nudges the direction off the Y-Z plane so the result is always finite.
VECTOR3D AngleBetweenVectors(VECTOR3D from, VECTOR3D to);

// Rotates v in place about X, then Y, then Z by the given degrees.
void Rotate(VECTOR3D* v, float ax, float ay, float az);
