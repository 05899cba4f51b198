// The cat's animation timeline: one body per frame at 30 frames a second, each clip of the
// clip table filled by its own little story. Clips start and end in the standing pose unless
// they belong to a chain, whose parts meet in the same pose; looping clips end as they start.
#pragma once

#include <vector>

#include "tools/packgen/body.h"
#include "tools/packgen/gait.h"

namespace packgen {

constexpr int kFramesPerSecond = 30;

// What kind of motion a clip of the table holds, for the generator and its reviewers.
enum class ClipKind { Still, Walk, Toy, Idle };
ClipKind KindOfClip(int clip);
// The gait of a walking clip (its speed is the table's gait factor); only for ClipKind::Walk.
GaitStyle GaitOfClip(int clip);

// Bodies for frames 0 .. the last frame of the table; frames that no clip covers stand still.
std::vector<Body> BuildTimeline();

}  // namespace packgen
