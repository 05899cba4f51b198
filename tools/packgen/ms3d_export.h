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

// Adds the skeleton (bind rotations zero, positions relative to the parent) and the timeline:
// one rotation key per joint per frame (Euler radians), translation keys for the root, at
// `fps` frames a second, frame f at time f / fps seconds.
void AddAnimation(MS3D& model, const std::vector<Joint>& skeleton, const std::vector<Pose>& frames,
                  float fps);

}  // namespace packgen
