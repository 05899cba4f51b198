// The joints of a model's skeleton and the keys they animate with.
#pragma once

#include <cstdint>
#include <vector>

#include "math/matrix.h"
#include "math/vector3d.h"

// One animation key: a time, then either three Euler angles (rotation key) or an offset
// (translation key). File keys are in seconds and radians.
struct MS3DKEY {
    float time = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A joint of the bind-pose skeleton. The keys stay empty in an MS3D's own skeleton; the animation
// template's joints, which derive from this record, fill them.
struct SKELETON_JOINT {
    int32_t parent = -1;  // index of the parent joint, -1 for a root
    uint8_t flags = 0;
    VECTOR3D rotation;  // bind rotation, Euler angles in degrees
    VECTOR3D position;  // bind offset from the parent, in scaled model units
    MATRIX relative;    // bind transform relative to the parent
    MATRIX absolute;    // bind transform in model space
    int32_t rotationKeyCount = 0;
    int32_t translationKeyCount = 0;
    std::vector<MS3DKEY> rotationKeys;
    std::vector<MS3DKEY> translationKeys;
};

// Degrees per radian as the skeleton converts bind rotations (in double precision).
constexpr double kDegreesPerRadian = 57.29577951308232;
