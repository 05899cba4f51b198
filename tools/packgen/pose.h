// A pose of the skeleton as the model file stores it: one rotation per joint (Euler radians,
// x then y then z, on top of the bind pose) and the root's offset from its bind position.
#pragma once

#include <vector>

#include "math/matrix.h"
#include "tools/packgen/skeleton.h"

namespace packgen {

struct Pose {
    std::vector<V3> rotation;  // radians, one per joint
    V3 rootOffset;
};

Pose BindPose(int jointCount);

// The joint's transform relative to its parent, exactly as the engine builds it from a key.
MATRIX LocalMatrix(const std::vector<Joint>& skeleton, const Pose& pose, int joint);
// Model-space transforms of every joint (parents come first, so one pass suffices).
std::vector<MATRIX> ForwardKinematics(const std::vector<Joint>& skeleton, const Pose& pose);
V3 Origin(const MATRIX& m);

// The largest angle between the same joint's rotation in two poses, in radians, and the largest
// difference of the root offsets: how far apart two poses are.
double RotationDistance(const Pose& a, const Pose& b);
double OffsetDistance(const Pose& a, const Pose& b);

}  // namespace packgen
