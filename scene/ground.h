// The ground: the visible rectangle of the plane y = 0 showing the ground picture once, or 5 x 5
// copies of it around the centre when the picture is tiled.
#pragma once

#include <vector>

#include "math/vector3d.h"

// Centres (x, 0, z) of the ground quads for half-extents `bounds`: one at the origin, or 25 at
// (2 * bounds.x * i, 0, 2 * bounds.z * j) for i and j from -2 to 2, i the outer loop.
std::vector<VECTOR3D> GroundQuadCentres(VECTOR3D bounds, bool tiled);

// Draws the quads in one batch with the bound texture, each showing the whole picture.
void DrawGroundQuads(VECTOR3D bounds, bool tiled);
