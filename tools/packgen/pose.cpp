#include "tools/packgen/pose.h"

#include <algorithm>
#include <cmath>

#include "math/quat.h"

namespace packgen {

namespace {

VECTOR3D Degrees(V3 r) {
    const double k = 180.0 / kPi;
    return MakePoint(float(r.x * k), float(r.y * k), float(r.z * k));
}

}  // namespace

Pose BindPose(int jointCount) {
    Pose p;
    p.rotation.assign(jointCount, V3{});
    return p;
}

MATRIX LocalMatrix(const std::vector<Joint>& skeleton, const Pose& pose, int joint) {
    const Joint& j = skeleton[joint];
    V3 offset = j.parent < 0 ? j.position : j.position - skeleton[j.parent].position;
    if (j.parent < 0) offset = offset + pose.rootOffset;
    MATRIX m = QuatToRotationMatrix(RotationToQuat(Degrees(pose.rotation[joint])));
    m.SetTranslation(MakePoint(float(offset.x), float(offset.y), float(offset.z)));
    return m;
}

std::vector<MATRIX> ForwardKinematics(const std::vector<Joint>& skeleton, const Pose& pose) {
    std::vector<MATRIX> abs(skeleton.size());
    for (size_t i = 0; i < skeleton.size(); ++i) {
        const MATRIX local = LocalMatrix(skeleton, pose, int(i));
        const int parent = skeleton[i].parent;
        abs[i] = parent < 0 ? local : MultiplyMatrix(abs[parent], local);
    }
    return abs;
}

V3 Origin(const MATRIX& m) {
    return {m.m[12], m.m[13], m.m[14]};
}

double RotationDistance(const Pose& a, const Pose& b) {
    double worst = 0.0;
    for (size_t i = 0; i < a.rotation.size() && i < b.rotation.size(); ++i) {
        const QUAT qa = RotationToQuat(Degrees(a.rotation[i]));
        const QUAT qb = RotationToQuat(Degrees(b.rotation[i]));
        const double dot = std::fabs(qa.x * qb.x + qa.y * qb.y + qa.z * qb.z + qa.w * qb.w);
        worst = std::max(worst, 2.0 * std::acos(std::min(1.0, dot)));
    }
    return worst;
}

double OffsetDistance(const Pose& a, const Pose& b) {
    return Length(a.rootOffset - b.rootOffset);
}

}  // namespace packgen
