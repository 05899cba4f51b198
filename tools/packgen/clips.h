// The cat's animation timeline: one body per frame at 30 frames a second, each clip of the
// clip table filled by its own little story. Clips start and end in the standing pose unless
// they belong to a chain, whose parts meet in the same pose; looping clips end as they start.
#pragma once

#include <vector>

#include "tools/packgen/body.h"
#include "tools/packgen/gait.h"

namespace packgen {

constexpr int kFramesPerSecond = 30;

// Whether a clip walks, and its gait (the speed is the walk table's gait factor).
bool IsWalkClip(int clip);
GaitStyle GaitOfClip(int clip);

// Bodies for frames 0 .. the last frame of the table; frames that no clip covers stand still.
std::vector<Body> BuildTimeline();

}  // namespace packgen
