#include "tools/packgen/cat_mesh.h"

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

void AddTorso(std::vector<Egg>& p) {
    Egg hind = MakeEgg(Part::Body, J::Root, {0, 3.9, 5.85}, {0, 4.0, 1.3}, 1.45, 1.1, 12, 8);
    hind.blunt = 0.8;
    hind.taperA = 0.95;
    p.push_back(hind);
    Egg waist = MakeEgg(Part::Body, J::Spine1, {0, 3.95, 3.0}, {0, 3.95, -0.7}, 1.35, 1.05, 12, 8);
    p.push_back(waist);
    Egg mid = MakeEgg(Part::Body, J::Spine2, {0, 3.95, 1.2}, {0, 3.9, -2.7}, 1.4, 1.12, 12, 8);
    p.push_back(mid);
    Egg chest = MakeEgg(Part::Body, J::Chest, {0, 3.9, -0.7}, {0, 3.85, -3.75}, 1.35, 1.12, 12, 8);
    chest.taperB = 0.85;
    p.push_back(chest);
    p.push_back(MakeEgg(Part::Belly, J::Belly, {0, 3.15, 1.6}, {0, 3.15, -1.8}, 1.05, 0.55, 10, 6));
    p.push_back(MakeEgg(Part::Belly, J::Breast, {0, 3.25, -1.7}, {0, 3.7, -3.6}, 0.85, 0.8, 10, 6));
    Egg neck1 = MakeEgg(Part::Neck, J::Neck1, {0, 4.1, -2.6}, {0, 5.4, -4.0}, 0.82, 0.9, 10, 6);
    neck1.up = {0, 1, -1};
    p.push_back(neck1);
    Egg neck2 = MakeEgg(Part::Neck, J::Neck2, {0, 5.0, -3.3}, {0, 6.1, -4.5}, 0.78, 0.8, 10, 6);
    neck2.up = {0, 1, -1};
    p.push_back(neck2);
    p.push_back(MakeEgg(Part::Belly, J::Throat, {0, 4.0, -3.0}, {0, 4.9, -4.3}, 0.6, 0.55, 8, 5));
}

void AddHead(std::vector<Egg>& p) {
    Egg skull = MakeEgg(Part::Head, J::Head, {0, 6.25, -3.7}, {0, 6.05, -5.95}, 1.22, 1.05, 12, 8);
    skull.blunt = 0.85;
    p.push_back(skull);
    Egg muzzle = MakeEgg(Part::Muzzle, J::Head, {0, 5.75, -5.0}, {0, 5.7, -6.3}, 0.62, 0.45, 10, 6);
    muzzle.taperB = 0.8;
    p.push_back(muzzle);
    Egg pad = MakeEgg(Part::Muzzle, J::WhiskerR, {0.22, 5.65, -5.4}, {0.32, 5.58, -6.22}, 0.34, 0.3,
                      8, 5);
    AddPair(p, pad, J::WhiskerL);
    Egg nose = MakeEgg(Part::Nose, J::Nose, {0, 5.9, -5.95}, {0, 5.88, -6.42}, 0.22, 0.15, 8, 4);
    nose.taperB = 0.7;
    p.push_back(nose);
    Egg cheek =
        MakeEgg(Part::Cheek, J::CheekR, {0.7, 5.8, -4.3}, {0.72, 5.7, -5.45}, 0.5, 0.5, 8, 5);
    AddPair(p, cheek, J::CheekL);
    Egg jaw = MakeEgg(Part::Jaw, J::Jaw, {0, 5.45, -4.5}, {0, 5.38, -6.05}, 0.48, 0.28, 8, 5);
    p.push_back(jaw);
    p.push_back(MakeEgg(Part::Jaw, J::Chin, {0, 5.3, -5.25}, {0, 5.32, -5.95}, 0.3, 0.22, 6, 4));
    Egg tongue =
        MakeEgg(Part::Tongue, J::Tongue, {0, 5.48, -4.9}, {0, 5.46, -5.8}, 0.22, 0.08, 6, 4);
    p.push_back(tongue);
    // The eyes look forward and a little outward; the skull hides their back half.
    const V3 centre{0.5, 6.22, -5.72};
    const V3 gaze = Normalized(V3{0.38, 0.05, -1.0});
    Egg eye =
        MakeEgg(Part::Eye, J::EyeR, centre - gaze * 0.3, centre + gaze * 0.3, 0.3, 0.3, 10, 6);
    AddPair(p, eye, J::EyeL);
    Egg ear = MakeEgg(Part::Ear, J::EarR, {0.5, 6.6, -4.4}, {0.8, 7.55, -4.55}, 0.44, 0.12, 8, 5);
    ear.up = {0, 0, -1};
    ear.taperB = 0.1;
    ear.blunt = 0.7;
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
    leg(Part::Body, J::ScapR, J::ScapL, {0.62, 4.75, -2.1}, {0.8, 3.3, -2.85}, 0.5, 0.72, 0.85, 8,
        5);
    leg(Part::Leg, J::ArmR, J::ArmL, {0.8, 4.0, -2.85}, {0.8, 2.15, -2.25}, 0.4, 0.48, 0.85, 8, 5);
    leg(Part::Leg, J::ForeR, J::ForeL, {0.8, 2.6, -2.3}, {0.78, 0.55, -2.45}, 0.29, 0.32, 0.85, 8,
        5);
    leg(Part::Leg, J::WristR, J::WristL, {0.78, 0.95, -2.42}, {0.78, 0.22, -2.78}, 0.26, 0.28, 0.9,
        6, 4);
    leg(Part::Paw, J::PawR, J::PawL, {0.78, 0.28, -2.25}, {0.78, 0.26, -3.25}, 0.36, 0.28, 0.9, 8,
        5);
    // Hind legs: haunch, thigh, shin, hock, paw.
    leg(Part::Body, J::HipR, J::HipL, {0.72, 4.55, 3.95}, {0.85, 2.55, 2.9}, 0.6, 0.95, 0.8, 8, 6);
    leg(Part::Leg, J::ThighR, J::ThighL, {0.85, 4.0, 3.6}, {0.85, 2.3, 2.8}, 0.45, 0.58, 0.85, 8,
        5);
    leg(Part::Leg, J::ShinR, J::ShinL, {0.85, 2.65, 2.8}, {0.8, 1.05, 4.15}, 0.3, 0.35, 0.85, 8, 5);
    leg(Part::Leg, J::HockR, J::HockL, {0.8, 1.45, 4.12}, {0.78, 0.22, 3.72}, 0.25, 0.3, 0.9, 6, 4);
    leg(Part::Paw, J::PawHR, J::PawHL, {0.78, 0.28, 4.15}, {0.78, 0.26, 3.2}, 0.36, 0.28, 0.9, 8,
        5);
}

void AddTail(std::vector<Egg>& p, const std::vector<Joint>& s) {
    for (int k = 0; k < kTailJoints; ++k) {
        const V3 from = s[J::Tail0 + k].position;
        const V3 to = k + 1 < kTailJoints ? s[J::Tail0 + k + 1].position
                                          : from + (from - s[J::Tail0 + k - 1].position);
        const V3 d = Normalized(to - from);
        const double r = 0.4 - 0.016 * k;
        Egg e = MakeEgg(Part::Tail, J::Tail0 + k, from - d * 0.22, to + d * 0.22, r, r, 6, 4);
        e.blunt = 0.6;
        e.taperB = k + 1 < kTailJoints ? 0.95 : 0.55;
        p.push_back(e);
    }
}

}  // namespace

CatModel BuildCatModel() {
    CatModel cat;
    cat.skeleton = BuildCatSkeleton();
    AddTorso(cat.parts);
    AddHead(cat.parts);
    AddLegs(cat.parts);
    AddTail(cat.parts, cat.skeleton);
    PackCharts(cat.parts, kSkinSize, 3);
    for (const Egg& e : cat.parts) AddEgg(cat.mesh, e);
    return cat;
}

}  // namespace packgen
