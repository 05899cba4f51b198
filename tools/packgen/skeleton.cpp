#include "tools/packgen/skeleton.h"

#include <cstdio>

namespace packgen {

const Leg kLegs[4] = {
    {J::ScapL, J::ArmL, J::ForeL, J::WristL, J::PawL, J::ToesL, true},
    {J::ScapR, J::ArmR, J::ForeR, J::WristR, J::PawR, J::ToesR, true},
    {J::HipL, J::ThighL, J::ShinL, J::HockL, J::PawHL, J::ToesHL, false},
    {J::HipR, J::ThighR, J::ShinR, J::HockR, J::PawHR, J::ToesHR, false},
};

namespace {

void Set(std::vector<Joint>& s, int i, const char* name, int parent, V3 p) {
    s[i] = Joint{name, parent, p};
}

// The left and right copies of a limb or face part; left is -x (the cat looks towards -z).
void SetPair(std::vector<Joint>& s, int left, int right, const char* name, int parentL, int parentR,
             V3 p) {
    Set(s, left, (std::string(name) + "L").c_str(), parentL, {-p.x, p.y, p.z});
    Set(s, right, (std::string(name) + "R").c_str(), parentR, p);
}

}  // namespace

std::vector<Joint> BuildCatSkeleton() {
    std::vector<Joint> s(J::Count);
    // Head-and-body about 1.9 times the height at the shoulder, the tail about 0.6 of it, a
    // short neck that carries the head a little above the line of the back.
    Set(s, J::Root, "root", -1, {0, 4.3, 2.7});
    Set(s, J::Spine1, "spine1", J::Root, {0, 4.35, 1.85});
    Set(s, J::Spine2, "spine2", J::Spine1, {0, 4.35, 1.0});
    Set(s, J::Spine3, "spine3", J::Spine2, {0, 4.3, 0.15});
    Set(s, J::Spine4, "spine4", J::Spine3, {0, 4.25, -0.7});
    Set(s, J::Chest, "chest", J::Spine4, {0, 4.2, -1.5});
    Set(s, J::Neck1, "neck1", J::Chest, {0, 4.45, -2.2});
    Set(s, J::Neck2, "neck2", J::Neck1, {0, 4.85, -2.75});
    Set(s, J::Head, "head", J::Neck2, {0, 5.3, -3.25});
    Set(s, J::Jaw, "jaw", J::Head, {0, 5.05, -3.85});
    SetPair(s, J::EarL, J::EarR, "ear", J::Head, J::Head, {0.45, 6.0, -3.7});
    Set(s, J::Tongue, "tongue", J::Jaw, {0, 5.0, -4.3});
    V3 tail{0, 4.45, 4.1};
    for (int k = 0; k < kTailJoints; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "tail%d", k);
        const int parent = k == 0 ? J::Root : J::Tail0 + k - 1;
        Set(s, J::Tail0 + k, name, parent, tail);
        tail = tail + V3{0, -0.1 + 0.007 * k, 0.37};
    }
    Set(s, J::Belly, "belly", J::Spine2, {0, 3.35, 1.0});
    SetPair(s, J::ScapL, J::ScapR, "scap", J::Chest, J::Chest, {0.6, 4.55, -1.65});
    SetPair(s, J::ArmL, J::ArmR, "arm", J::ScapL, J::ScapR, {0.86, 3.7, -2.05});
    SetPair(s, J::ForeL, J::ForeR, "fore", J::ArmL, J::ArmR, {0.9, 2.35, -1.6});
    SetPair(s, J::WristL, J::WristR, "wrist", J::ForeL, J::ForeR, {0.9, 0.72, -1.75});
    SetPair(s, J::PawL, J::PawR, "paw", J::WristL, J::WristR, {0.9, 0.3, -2.0});
    SetPair(s, J::ToesL, J::ToesR, "toes", J::PawL, J::PawR, {0.9, 0.22, -2.3});
    SetPair(s, J::ClawsL, J::ClawsR, "claws", J::ToesL, J::ToesR, {0.9, 0.15, -2.55});
    SetPair(s, J::WhiskerL, J::WhiskerR, "whisker", J::Head, J::Head, {0.2, 5.1, -4.75});
    SetPair(s, J::EyeL, J::EyeR, "eye", J::Head, J::Head, {0.36, 5.62, -4.45});
    Set(s, J::Nose, "nose", J::Head, {0, 5.35, -4.95});
    Set(s, J::Pelvis, "pelvis", J::Root, {0, 4.2, 3.0});
    Set(s, J::Rump, "rump", J::Pelvis, {0, 4.1, 3.6});
    Set(s, J::Throat, "throat", J::Neck1, {0, 4.1, -2.4});
    Set(s, J::Breast, "breast", J::Chest, {0, 3.4, -1.9});
    SetPair(s, J::HipL, J::HipR, "hip", J::Pelvis, J::Pelvis, {0.72, 4.3, 2.65});
    SetPair(s, J::ThighL, J::ThighR, "thigh", J::HipL, J::HipR, {0.92, 3.85, 2.8});
    SetPair(s, J::ShinL, J::ShinR, "shin", J::ThighL, J::ThighR, {0.94, 2.45, 2.1});
    SetPair(s, J::HockL, J::HockR, "hock", J::ShinL, J::ShinR, {0.92, 1.25, 3.3});
    SetPair(s, J::PawHL, J::PawHR, "hindpaw", J::HockL, J::HockR, {0.92, 0.3, 3.0});
    SetPair(s, J::ToesHL, J::ToesHR, "hindtoes", J::PawHL, J::PawHR, {0.92, 0.22, 2.7});
    SetPair(s, J::ClawsHL, J::ClawsHR, "hindclaws", J::ToesHL, J::ToesHR, {0.92, 0.15, 2.45});
    SetPair(s, J::CheekL, J::CheekR, "cheek", J::Head, J::Head, {0.52, 5.25, -4.1});
    Set(s, J::Chin, "chin", J::Jaw, {0, 4.95, -4.6});
    return s;
}

}  // namespace packgen
