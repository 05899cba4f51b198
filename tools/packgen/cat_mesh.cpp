#include "tools/packgen/cat_mesh.h"

#include <cmath>

namespace packgen {

namespace {

Egg MakeEgg(Part part, int joint, V3 a, V3 b, double rx, double ry, int slices, int stacks) {
    Egg e;
    e.part = part;
    e.joint = joint;
    e.a = a;
    e.b = b;
    e.rx = rx;
    e.ry = ry;
    e.slices = slices;
    e.stacks = stacks;
    return e;
}

// Adds a part and its mirror image on the other side (left is -x).
void AddPair(std::vector<Egg>& parts, Egg right, int leftJoint) {
    right.mirror = 1;
    Egg left = right;
    left.mirror = -1;
    left.joint = leftJoint;
    left.a.x = -left.a.x;
    left.b.x = -left.b.x;
    left.up.x = -left.up.x;
    parts.push_back(left);
    parts.push_back(right);
}

// Which joint of a chain a point moves with: the joint whose segment (from it to the next
// joint of the chain) the point lies along; before the first joint the first, past the last
// joint the last.
int JointAlong(const std::vector<Joint>& s, const std::vector<int>& chain, V3 p) {
    int owner = chain.front();
    for (size_t k = 1; k < chain.size(); ++k) {
        const V3 from = s[chain[k - 1]].position, at = s[chain[k]].position;
        if (Dot(p - at, at - from) >= 0.0) owner = chain[k];
    }
    return owner;
}

// The back from the rump to inside the skull: its sections, nose towards -z, as (z, height of
// the centre line, half width, height above and depth below the line). Seen from above the
// haunches and the chest are the widest, the waist a little narrower, the neck short and slim.
void AddBody(CatModel& cat) {
    struct Row {
        double z, y, halfWidth, top, bottom;
    };
    const Row rows[] = {
        {3.95, 4.3, 0.82, 0.55, 0.72},  {3.45, 4.22, 1.08, 0.64, 0.92},
        {2.85, 4.16, 1.15, 0.7, 1.0},   {2.2, 4.1, 1.04, 0.72, 1.0},
        {1.45, 4.06, 0.9, 0.75, 1.0},   {0.7, 4.05, 0.86, 0.77, 1.02},
        {-0.05, 4.05, 1.0, 0.79, 1.02}, {-0.8, 4.08, 1.13, 0.8, 1.02},
        {-1.45, 4.15, 1.1, 0.74, 0.95}, {-2.0, 4.3, 0.9, 0.64, 0.82},
        {-2.5, 4.6, 0.72, 0.56, 0.66},  {-2.9, 4.92, 0.64, 0.52, 0.56},
        {-3.3, 5.22, 0.58, 0.5, 0.5},
    };
    const std::vector<int> chain = {J::Root,  J::Spine1, J::Spine2, J::Spine3, J::Spine4,
                                    J::Chest, J::Neck1,  J::Neck2,  J::Head};
    Tube body;
    body.part = Part::Body;
    body.slices = 16;
    for (const Row& r : rows) {
        const V3 centre{0, r.y, r.z};
        body.stations.push_back(
            {centre, r.halfWidth, r.top, r.bottom, JointAlong(cat.skeleton, chain, centre)});
    }
    RoundEnds(body.stations, 0.55, 0.4, 3);
    cat.tubes.push_back(body);
}

// The tail from inside the rump to its rounded tip, two sections to each joint.
void AddTail(CatModel& cat) {
    const std::vector<Joint>& s = cat.skeleton;
    std::vector<int> chain;
    for (int k = 0; k < kTailJoints; ++k) chain.push_back(J::Tail0 + k);
    const V3 first = s[J::Tail0].position, second = s[J::Tail0 + 1].position;
    const V3 last = s[J::Tail0 + kTailJoints - 1].position;
    const V3 tip = last + (last - s[J::Tail0 + kTailJoints - 2].position) * 0.8;
    std::vector<V3> line = {first + (first - second) * 0.8};
    for (int k = 0; k < kTailJoints; ++k) {
        const V3 p = s[J::Tail0 + k].position;
        const V3 next = k + 1 < kTailJoints ? s[J::Tail0 + k + 1].position : tip;
        line.push_back(p);
        line.push_back(Lerp(p, next, 0.5));
    }
    Tube tail;
    tail.part = Part::Tail;
    tail.slices = 10;
    for (size_t i = 0; i < line.size(); ++i) {
        const double along = double(i) / (line.size() - 1);
        // Thick at the root, slimmer along, a little fuller again before the tip.
        const double r = 0.34 - 0.12 * along + 0.02 * std::sin(kPi * along);
        tail.stations.push_back({line[i], r, r, r, JointAlong(s, chain, line[i])});
    }
    RoundEnds(tail.stations, 0.2, 0.25, 2);
    cat.tubes.push_back(tail);
}

// A head about a fifth of the head-and-body long and nearly as wide across the cheeks, with
// ears that stand up and out so that they show from above.
void AddHead(std::vector<Egg>& p) {
    Egg skull = MakeEgg(Part::Head, J::Head, {0, 5.62, -3.18}, {0, 5.5, -4.72}, 0.82, 0.7, 14, 9);
    skull.blunt = 0.8;
    p.push_back(skull);
    Egg muzzle = MakeEgg(Part::Muzzle, J::Head, {0, 5.22, -4.2}, {0, 5.16, -4.98}, 0.4, 0.3, 10, 6);
    muzzle.taperB = 0.8;
    p.push_back(muzzle);
    Egg pad = MakeEgg(Part::Muzzle, J::WhiskerR, {0.14, 5.13, -4.45}, {0.21, 5.08, -4.98}, 0.22,
                      0.19, 8, 5);
    AddPair(p, pad, J::WhiskerL);
    Egg nose = MakeEgg(Part::Nose, J::Nose, {0, 5.36, -4.78}, {0, 5.33, -5.06}, 0.15, 0.1, 8, 4);
    nose.taperB = 0.7;
    p.push_back(nose);
    Egg cheek =
        MakeEgg(Part::Cheek, J::CheekR, {0.5, 5.32, -3.62}, {0.5, 5.2, -4.45}, 0.36, 0.36, 8, 5);
    AddPair(p, cheek, J::CheekL);
    Egg jaw = MakeEgg(Part::Jaw, J::Jaw, {0, 5.0, -3.85}, {0, 4.96, -4.88}, 0.32, 0.19, 8, 5);
    p.push_back(jaw);
    p.push_back(MakeEgg(Part::Jaw, J::Chin, {0, 4.93, -4.5}, {0, 4.95, -4.92}, 0.2, 0.15, 6, 4));
    Egg tongue =
        MakeEgg(Part::Tongue, J::Tongue, {0, 5.02, -4.25}, {0, 5.0, -4.8}, 0.15, 0.06, 6, 4);
    p.push_back(tongue);
    // The eyes look forward and a little outward; the skull hides their back half.
    const V3 centre{0.34, 5.66, -4.5};
    const V3 gaze = Normalized(V3{0.38, 0.1, -1.0});
    Egg eye =
        MakeEgg(Part::Eye, J::EyeR, centre - gaze * 0.2, centre + gaze * 0.2, 0.2, 0.2, 10, 6);
    AddPair(p, eye, J::EyeL);
    // An ear is a cupped cone: wide at its base on the top of the skull, leaning outwards.
    Egg ear =
        MakeEgg(Part::Ear, J::EarR, {0.42, 5.95, -3.72}, {0.88, 6.62, -3.86}, 0.38, 0.22, 10, 6);
    ear.up = {0, 0.2, -1};
    ear.taperB = 0.08;
    ear.blunt = 0.6;
    AddPair(p, ear, J::EarL);
}

void AddLegs(std::vector<Egg>& p) {
    auto leg = [&](Part part, int right, int left, V3 a, V3 b, double rx, double ry, double taperB,
                   int slices, int stacks) {
        Egg e = MakeEgg(part, right, a, b, rx, ry, slices, stacks);
        e.up = {0, 0, -1};
        e.taperB = taperB;
        e.blunt = 0.75;
        AddPair(p, e, left);
    };
    // Front legs: shoulder, upper arm, forearm, wrist, paw.
    leg(Part::Body, J::ScapR, J::ScapL, {0.6, 4.6, -1.35}, {0.8, 3.3, -2.15}, 0.4, 0.62, 0.85, 8,
        5);
    leg(Part::Leg, J::ArmR, J::ArmL, {0.9, 3.95, -2.15}, {0.9, 2.15, -1.55}, 0.37, 0.45, 0.85, 8,
        5);
    leg(Part::Leg, J::ForeR, J::ForeL, {0.9, 2.6, -1.6}, {0.9, 0.55, -1.75}, 0.27, 0.3, 0.85, 8, 5);
    leg(Part::Leg, J::WristR, J::WristL, {0.9, 0.95, -1.72}, {0.9, 0.22, -2.08}, 0.24, 0.26, 0.9, 6,
        4);
    leg(Part::Paw, J::PawR, J::PawL, {0.9, 0.28, -1.55}, {0.9, 0.26, -2.5}, 0.33, 0.26, 0.9, 8, 5);
    // Hind legs: haunch, thigh, shin, hock, paw.
    leg(Part::Body, J::HipR, J::HipL, {0.72, 4.5, 3.25}, {0.86, 2.55, 2.15}, 0.45, 0.88, 0.8, 8, 6);
    leg(Part::Leg, J::ThighR, J::ThighL, {0.93, 4.0, 2.85}, {0.93, 2.3, 2.05}, 0.42, 0.55, 0.85, 8,
        5);
    leg(Part::Leg, J::ShinR, J::ShinL, {0.93, 2.65, 2.05}, {0.92, 1.05, 3.4}, 0.29, 0.33, 0.85, 8,
        5);
    leg(Part::Leg, J::HockR, J::HockL, {0.92, 1.45, 3.37}, {0.92, 0.22, 2.97}, 0.24, 0.28, 0.9, 6,
        4);
    leg(Part::Paw, J::PawHR, J::PawHL, {0.92, 0.28, 3.4}, {0.92, 0.26, 2.45}, 0.33, 0.26, 0.9, 8,
        5);
}

}  // namespace

std::vector<const Surface*> CatModel::Surfaces() const {
    std::vector<const Surface*> all;
    for (const Tube& t : tubes) all.push_back(&t);
    for (const Egg& e : eggs) all.push_back(&e);
    return all;
}

CatModel BuildCatModel() {
    CatModel cat;
    cat.skeleton = BuildCatSkeleton();
    AddBody(cat);
    AddTail(cat);
    AddHead(cat.eggs);
    AddLegs(cat.eggs);
    std::vector<Surface*> all;
    for (Tube& t : cat.tubes) all.push_back(&t);
    for (Egg& e : cat.eggs) all.push_back(&e);
    PackCharts(all, kSkinSize, 3);
    for (const Tube& t : cat.tubes) AddTube(cat.mesh, t);
    for (const Egg& e : cat.eggs) AddEgg(cat.mesh, e);
    return cat;
}

}  // namespace packgen
