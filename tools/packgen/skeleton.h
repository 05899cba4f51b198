// The cat's skeleton: joints in parent-first order with their bind positions in model space.
// Every bind rotation is zero, so in the bind pose each joint frame is aligned with the model
// axes (y up, nose towards -z) and a rotation about x bends a leg in its own vertical plane.
#pragma once

#include <string>
#include <vector>

#include "tools/packgen/vec3.h"

namespace packgen {

struct Joint {
    std::string name;
    int parent = -1;
    V3 position;  // bind position in model space
};

// Joint indices. The four paws sit at the indices the footprint tracking reads (34, 46, 57, 67).
namespace J {
enum : int {
    Root = 0,  // the pelvis; the spine runs forward from it in short, gently turning segments
    Spine1,
    Spine2,
    Spine3,
    Spine4,
    Chest,
    Neck1,
    Neck2,
    Head,
    Jaw,
    EarL,
    EarR,
    Tongue,
    Tail0 = 13,  // Tail0 .. Tail0 + kTailJoints - 1
    Belly = 29,
    ScapL = 30,
    ArmL,
    ForeL,
    WristL,
    PawL,
    ToesL,
    ClawsL,
    WhiskerL = 37,
    WhiskerR,
    EyeL,
    EyeR,
    Nose,
    ScapR = 42,
    ArmR,
    ForeR,
    WristR,
    PawR,
    ToesR,
    ClawsR,
    Pelvis = 49,
    Rump,
    Throat,
    Breast,
    HipL = 53,
    ThighL,
    ShinL,
    HockL,
    PawHL,
    ToesHL,
    ClawsHL,
    CheekL = 60,
    CheekR,
    Chin,
    HipR = 63,
    ThighR,
    ShinR,
    HockR,
    PawHR,
    ToesHR,
    ClawsHR,
    Count
};
}  // namespace J
constexpr int kTailJoints = 16;
// The joints of the back from the pelvis to the chest, in order.
constexpr int kSpineJoints[] = {J::Root, J::Spine1, J::Spine2, J::Spine3, J::Spine4, J::Chest};

// One leg: the joint that anchors it to the body (shoulder blade or hip), the three joints the
// leg bends at, the paw and the toes. Legs 0..3 are front left, front right, hind left, hind right.
struct Leg {
    int anchor, upper, middle, lower, paw, toes;
    bool front;
};
extern const Leg kLegs[4];

std::vector<Joint> BuildCatSkeleton();

}  // namespace packgen
