// Turns the generator's meshes, skeleton and timeline into MS3D records for the model writer.
#pragma once

#include <string>
#include <vector>

#include "model/ms3d.h"
#include "tools/packgen/mesh.h"
#include "tools/packgen/pose.h"

namespace packgen {

// One group with one material holding the whole mesh, no joints.
MS3D MeshToMS3D(const Mesh& mesh, const std::string& name);

// Adds the skeleton (bind rotations zero, positions relative to the parent) and the timeline at
// `fps` frames a second, frame f at time f / fps seconds: rotation keys (Euler radians) for
// every joint and translation keys for the root. A frame gets a key only where interpolating
// between its neighbouring keys would miss the pose by more than a hair, and always where
// `pinned` is set (the first and last frames of clips, so every clip starts and ends exactly
// in its own pose).
void AddAnimation(MS3D& model, const std::vector<Joint>& skeleton, const std::vector<Pose>& frames,
                  float fps, const std::vector<bool>& pinned);

// Frames whose keys interpolation reproduces within these bounds are left out.
constexpr double kRotationTolerance = 0.0007;    // radians
constexpr double kTranslationTolerance = 0.004;  // model units

}  // namespace packgen
