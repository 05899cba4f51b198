// The cat's pose in the terms an animator thinks in: where the body is and how it bends, where
// each paw should be, how the head, ears and tail are held. Solve() turns it into joint
// rotations, placing each paw exactly with a two-bone leg solver. Bodies blend by plain
// interpolation of their fields, so every blend keeps the paws where the solver puts them.
#pragma once

#include <vector>

#include "tools/packgen/pose.h"

namespace packgen {

struct LegGoal {
    V3 paw;                    // model-space target of the paw joint
    double lowerPitch = 0.0;   // turn of the wrist or hock segment from its bind direction
    double pawPitch = 0.0;     // tilt of the paw from flat (positive lifts the toes)
    double anchorPitch = 0.0;  // swing of the shoulder blade or haunch
    double toes = 0.0;         // curl of the toes
};

struct Body {
    V3 shift;     // root offset from its bind position
    V3 root;      // root rotation (pitch x, yaw y, roll z), radians
    V3 spine[3];  // bends of the back: behind, in the middle, at the chest
    V3 neck[2];
    V3 head;
    double jaw = 0.0;  // mouth opening
    V3 ear[2];         // left, right
    double tailLift = 0.0, tailDroop = 0.0, tailHook = 0.0, tailSide = 0.0;
    double tailSway = 0.0, tailPhase = 0.0, tailWave = 0.5;
    LegGoal legs[4];
};

// The natural standing pose: paws under the body where the bind pose has them, tail relaxed.
Body Stand();
Body Mix(const Body& a, const Body& b, double t);

// The bind position of each leg's paw joint.
V3 RestPaw(int leg);

Pose Solve(const Body& body);

// Where a point given in bind-pose model coordinates goes when only the root moves as in `b`:
// for placing paws relative to a body that is rolled or turned.
V3 FromRootFrame(const Body& b, V3 bindPoint);

// The model-space positions of the four paw joints of a pose.
std::vector<V3> PawPositions(const Pose& pose);

const std::vector<Joint>& CatSkeleton();

}  // namespace packgen
