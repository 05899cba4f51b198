// The pose library the clips are built from: still poses as Bodies, and the small motions
// (breathing, tail sway, looking) that are laid over them.
#pragma once

#include <utility>
#include <vector>

#include "tools/packgen/body.h"

namespace packgen {

Body Sit();
Body Lie();        // lying on the belly, paws tucked, head up
Body Curl();       // curled up asleep, head on the paws, tail round the body
Body LieOnSide();  // flat on the side, legs loose
Body Crouch();     // low, ready to pounce
Body Rear();       // up on the hind legs, front paws raised
Body Bow();        // stretching: chest low, front paws far forward, rump high

// Moves one paw of a body: lifted by `lift` and moved by `forward` (towards the nose).
void MovePaw(Body& b, int leg, double lift, double forward);
// Sets where the head looks: yaw to the cat's left (positive) and pitch up (positive).
void Look(Body& b, double yaw, double pitch);

// Keyed motion: bodies at times 0..1 of a clip, eased between neighbours.
struct Keys {
    std::vector<std::pair<double, Body>> keys;
    Keys& At(double time, const Body& body) {
        keys.emplace_back(time, body);
        return *this;
    }
    Body Eval(double u) const;
};

// Small cycles laid over a pose. `cycles` whole periods fit the clip, so loops stay seamless.
double Wave(double u, double cycles, double phase = 0.0);
void Breathe(Body& b, double u, double cycles, double depth);
void SwayTail(Body& b, double u, double cycles, double amount);

}  // namespace packgen
