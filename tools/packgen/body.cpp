#include "tools/packgen/body.h"

#include <algorithm>
#include <cmath>

namespace packgen {

const std::vector<Joint>& CatSkeleton() {
    static const std::vector<Joint> skeleton = BuildCatSkeleton();
    return skeleton;
}

V3 RestPaw(int leg) {
    return CatSkeleton()[kLegs[leg].paw].position;
}

Body Stand() {
    Body b;
    b.tailLift = 0.35;
    b.tailDroop = 0.09;
    b.tailHook = -0.12;
    for (int l = 0; l < 4; ++l) b.legs[l].paw = RestPaw(l);
    return b;
}

namespace {

V3 MixV(V3 a, V3 b, double t) {
    return Lerp(a, b, t);
}

LegGoal MixLeg(const LegGoal& a, const LegGoal& b, double t) {
    LegGoal r;
    r.paw = MixV(a.paw, b.paw, t);
    r.lowerPitch = packgen::Mix(a.lowerPitch, b.lowerPitch, t);
    r.pawPitch = packgen::Mix(a.pawPitch, b.pawPitch, t);
    r.anchorPitch = packgen::Mix(a.anchorPitch, b.anchorPitch, t);
    r.toes = packgen::Mix(a.toes, b.toes, t);
    return r;
}

double Wrap(double a) {
    while (a > kPi) a -= 2.0 * kPi;
    while (a < -kPi) a += 2.0 * kPi;
    return a;
}

// Angle of a vector in a joint's y-z plane, measured so that a rotation about x adds to it.
double PlaneAngle(V3 v) {
    return std::atan2(v.z, v.y);
}
V3 PlaneDir(double a) {
    return {0, std::cos(a), std::sin(a)};
}

V3 ToLocal(const MATRIX& m, V3 p) {
    const V3 d = p - Origin(m);
    return {m.m[0] * d.x + m.m[1] * d.y + m.m[2] * d.z, m.m[4] * d.x + m.m[5] * d.y + m.m[6] * d.z,
            m.m[8] * d.x + m.m[9] * d.y + m.m[10] * d.z};
}
V3 DirToLocal(const MATRIX& m, V3 d) {
    return ToLocal(m, Origin(m) + d);
}

V3 BindOffset(int joint) {
    const auto& s = CatSkeleton();
    return s[joint].position - s[s[joint].parent].position;
}

V3 RotateX(V3 v, double a) {
    return {v.x, v.y * std::cos(a) - v.z * std::sin(a), v.y * std::sin(a) + v.z * std::cos(a)};
}

// Bends one leg so that its paw joint lands on the goal. Works in the plane of the leg inside
// the frame of its anchor joint, so it holds however the body is turned.
void SolveLeg(const Leg& leg, const LegGoal& goal, Pose& pose) {
    const auto& s = CatSkeleton();
    pose.rotation[leg.anchor] = {goal.anchorPitch, 0, 0};
    const std::vector<MATRIX> abs = ForwardKinematics(s, pose);
    const MATRIX& anchor = abs[leg.anchor];
    const double anchorPitch = std::atan2(anchor.m[6], anchor.m[5]);

    const V3 u = BindOffset(leg.upper), m = BindOffset(leg.middle), l = BindOffset(leg.lower),
             p = BindOffset(leg.paw);
    const double L1 = std::hypot(m.y, m.z), L2 = std::hypot(l.y, l.z), L3 = std::hypot(p.y, p.z);
    const double a1 = PlaneAngle(m), a2 = PlaneAngle(l), a3 = PlaneAngle(p);

    const V3 target = ToLocal(anchor, goal.paw);
    const double f3 = PlaneAngle(DirToLocal(anchor, RotateX(p, goal.lowerPitch)));
    const V3 wrist = V3{0, target.y, target.z} - PlaneDir(f3) * L3;
    const V3 upper{0, u.y, u.z};
    const V3 reach = wrist - upper;
    const double d = Clamp(Length(reach), std::fabs(L1 - L2) + 1e-4, L1 + L2 - 1e-4);
    const double beta = PlaneAngle(reach);
    const double gamma = std::acos(Clamp((L1 * L1 + d * d - L2 * L2) / (2 * L1 * d), -1.0, 1.0));
    // Elbows point back, knees forward.
    const double f1 = leg.front ? beta - gamma : beta + gamma;
    const V3 knee = upper + PlaneDir(f1) * L1;
    const V3 wristReached = upper + reach * (d / std::max(1e-9, Length(reach)));
    const double f2 = PlaneAngle(wristReached - knee);

    pose.rotation[leg.upper] = {Wrap(f1 - a1), 0, 0};
    pose.rotation[leg.middle] = {Wrap((f2 - a2) - (f1 - a1)), 0, 0};
    pose.rotation[leg.lower] = {Wrap((f3 - a3) - (f2 - a2)), 0, 0};
    pose.rotation[leg.paw] = {Wrap((goal.pawPitch - anchorPitch) - (f3 - a3)), 0, 0};
    pose.rotation[leg.toes] = {goal.toes, 0, 0};
}

void SolveTail(const Body& b, Pose& pose) {
    for (int k = 0; k < kTailJoints; ++k) {
        const double along = double(k) / (kTailJoints - 1);
        double pitch = k == 0 ? -b.tailLift : b.tailDroop * (1.0 - along) * 2.0;
        if (along > 0.6) pitch += b.tailHook;
        const double sway =
            b.tailSway * std::sin(b.tailPhase - k * b.tailWave) * (0.35 + 0.65 * along);
        pose.rotation[J::Tail0 + k] = {pitch, b.tailSide / kTailJoints * 2.0 + sway / 4.0, 0};
    }
}

// Lifts the tail where it would pass below the ground: each segment in turn is bent up just
// enough that the next joint stays above `floor`, so any pose or blend keeps the tail visible.
void KeepTailAboveGround(Pose& pose, double floor) {
    const auto& s = CatSkeleton();
    const std::vector<MATRIX> abs = ForwardKinematics(s, pose);
    MATRIX parent = abs[J::Root];
    for (int k = 0; k < kTailJoints; ++k) {
        const int j = J::Tail0 + k;
        const V3 next = k + 1 < kTailJoints ? BindOffset(j + 1) : BindOffset(j);
        auto tipHeight = [&](double pitch) {
            Pose trial;
            trial.rotation = pose.rotation;
            trial.rotation[j].x = pitch;
            const MATRIX m = MultiplyMatrix(parent, LocalMatrix(s, trial, j));
            return MatrixPointMultiply(m, MakePoint(float(next.x), float(next.y), float(next.z))).y;
        };
        const double pitch = pose.rotation[j].x;
        if (tipHeight(pitch) < floor) {
            // Raising means turning one way or the other depending on how the body lies.
            const double dir = tipHeight(pitch - 0.1) > tipHeight(pitch + 0.1) ? -1.0 : 1.0;
            double lo = 0.0, hi = 1.6;
            for (int step = 0; step < 20; ++step) {
                const double mid = 0.5 * (lo + hi);
                (tipHeight(pitch + dir * mid) < floor ? lo : hi) = mid;
            }
            pose.rotation[j].x = pitch + dir * hi;
        }
        parent = MultiplyMatrix(parent, LocalMatrix(s, pose, j));
    }
}

}  // namespace

Body Mix(const Body& a, const Body& b, double t) {
    Body r;
    r.shift = MixV(a.shift, b.shift, t);
    r.root = MixV(a.root, b.root, t);
    for (int i = 0; i < 3; ++i) r.spine[i] = MixV(a.spine[i], b.spine[i], t);
    for (int i = 0; i < 2; ++i) r.neck[i] = MixV(a.neck[i], b.neck[i], t);
    r.head = MixV(a.head, b.head, t);
    r.jaw = packgen::Mix(a.jaw, b.jaw, t);
    for (int i = 0; i < 2; ++i) r.ear[i] = MixV(a.ear[i], b.ear[i], t);
    r.tailLift = packgen::Mix(a.tailLift, b.tailLift, t);
    r.tailDroop = packgen::Mix(a.tailDroop, b.tailDroop, t);
    r.tailHook = packgen::Mix(a.tailHook, b.tailHook, t);
    r.tailSide = packgen::Mix(a.tailSide, b.tailSide, t);
    r.tailSway = packgen::Mix(a.tailSway, b.tailSway, t);
    r.tailPhase = packgen::Mix(a.tailPhase, b.tailPhase, t);
    r.tailWave = packgen::Mix(a.tailWave, b.tailWave, t);
    for (int l = 0; l < 4; ++l) r.legs[l] = MixLeg(a.legs[l], b.legs[l], t);
    return r;
}

Pose Solve(const Body& b) {
    Pose pose = BindPose(J::Count);
    pose.rootOffset = b.shift;
    pose.rotation[J::Root] = b.root;
    // The three bends of a body are shared out over the five joints of the back, so that no
    // joint turns far and the back curves evenly.
    pose.rotation[J::Spine1] = b.spine[0] * 0.6;
    pose.rotation[J::Spine2] = b.spine[0] * 0.4 + b.spine[1] * 0.2;
    pose.rotation[J::Spine3] = b.spine[1] * 0.6;
    pose.rotation[J::Spine4] = b.spine[1] * 0.2 + b.spine[2] * 0.4;
    pose.rotation[J::Chest] = b.spine[2] * 0.6;
    pose.rotation[J::Neck1] = b.neck[0];
    pose.rotation[J::Neck2] = b.neck[1];
    pose.rotation[J::Head] = b.head;
    pose.rotation[J::Jaw] = {-b.jaw, 0, 0};
    pose.rotation[J::Tongue] = {b.jaw * 0.3, 0, 0};
    pose.rotation[J::EarL] = b.ear[0];
    pose.rotation[J::EarR] = {b.ear[1].x, -b.ear[1].y, -b.ear[1].z};
    // The rump and pelvis follow the root; the belly sways a little with the spine.
    pose.rotation[J::Belly] = {-b.spine[1].x * 0.5, 0, 0};
    SolveTail(b, pose);
    KeepTailAboveGround(pose, 0.3);
    for (int l = 0; l < 4; ++l) {
        // However bodies blend, a paw goal never lies below the height of a standing paw.
        LegGoal goal = b.legs[l];
        goal.paw.y = std::max(goal.paw.y, RestPaw(l).y);
        SolveLeg(kLegs[l], goal, pose);
    }
    return pose;
}

V3 FromRootFrame(const Body& b, V3 bindPoint) {
    Pose pose = BindPose(J::Count);
    pose.rootOffset = b.shift;
    pose.rotation[J::Root] = b.root;
    const MATRIX root = LocalMatrix(CatSkeleton(), pose, J::Root);
    const V3 d = bindPoint - CatSkeleton()[J::Root].position;
    const VECTOR3D p = MatrixPointMultiply(root, MakePoint(float(d.x), float(d.y), float(d.z)));
    return {p.x, p.y, p.z};
}

std::vector<V3> PawPositions(const Pose& pose) {
    const std::vector<MATRIX> abs = ForwardKinematics(CatSkeleton(), pose);
    std::vector<V3> paws;
    for (const Leg& leg : kLegs) paws.push_back(Origin(abs[leg.paw]));
    return paws;
}

}  // namespace packgen
