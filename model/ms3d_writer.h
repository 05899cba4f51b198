// Writes an MS3D record as the bytes of a model file, in exactly the layout that
// MS3D::LoadFromFStream reads. The art generator fills an MS3D record and writes it with this.
#pragma once

#include <cstdint>
#include <vector>

#include "model/ms3d.h"

// Appends the file bytes of `model` to `out` (the current-time field is written as 0). The record
// is written as it stands: joint rotations and key values are taken to be in radians and key times
// in seconds, as in a file. False, with `out` unchanged, when a count disagrees with the size of
// its array (the vertices, triangles, groups, materials, joints, or a group's triangle indices or
// a joint's keys) or the version is neither 3 nor 4.
bool WriteMS3D(const MS3D& model, std::vector<uint8_t>* out, int32_t version = 4);

// Sets every count of `model` (vertices, triangles, groups, materials, joints, each group's
// triangles and each joint's keys) from the size of its array, as WriteMS3D requires.
void SyncMS3DCounts(MS3D* model);
