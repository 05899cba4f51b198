// Walking, prowling and running: each paw follows a stance and swing cycle. In stance the paw
// slides backwards in model space at exactly the speed the cat moves forward, so it stays planted
// in the world; in swing it lifts well clear of the footprint height and swings forward.
#pragma once

#include "tools/packgen/body.h"

namespace packgen {

struct GaitStyle {
    double gait = 4.0;  // world units per second at the default size
    int cycles = 3;     // whole strides in the clip, so that the clip loops seamlessly
    double duty = 0.5;  // share of a stride that a paw is on the ground
    double lift = 0.9;  // swing height of the paw joint above its resting height
    double phase[4] = {0.25, 0.75, 0.0, 0.5};  // stride phase of each leg
    double crouch = 0.0;                       // body lowered by this much
    double bob = 0.08;                         // up and down of the body twice per stride
    double flex = 0.0;                         // spine bending once per stride (galloping)
    double headLow = 0.0;                      // head and neck carried lower
    double tailLift = 0.5;
};

// Model units per second that a planted paw moves backwards: the model is drawn at a quarter
// of its size, so the cat's speed of `gait` world units a second is 4 x gait model units.
double PlantedPawSpeed(const GaitStyle& style);

GaitStyle Prowl();
GaitStyle Walk();
GaitStyle Run();

// The body at time `t` seconds into a clip of `duration` seconds.
Body GaitBody(const GaitStyle& style, double t, double duration);

}  // namespace packgen
