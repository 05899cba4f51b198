// The ground: the visible rectangle of the plane y = 0 showing the ground picture once, or 5 x 5
// copies of it around the centre when the picture is tiled.
#pragma once

#include <array>
#include <vector>

#include "math/vector3d.h"

// Centres (x, 0, z) of the ground quads for half-extents `bounds`: one at the origin, or 25 at
// (2 * bounds.x * i, 0, 2 * bounds.z * j) for i and j from -2 to 2, i the outer loop.
std::vector<VECTOR3D> GroundQuadCentres(VECTOR3D bounds, bool tiled);

// The corners of the quad of half-extents `bounds` around `centre`, in drawing order; texture
// coordinates (0, 0), (1, 0), (1, 1) and (0, 1) go with them.
std::array<VECTOR3D, 4> GroundQuadCorners(VECTOR3D bounds, VECTOR3D centre);

// Linear fog as the ground is drawn under it: none, or full from the eye distance `end` on.
// `hiddenIsClear`: the fog's colour is the frame's clear colour, so a quad wholly in the fog
// looks exactly like no quad.
struct GroundFog {
    bool on = false;
    float end = 0.0f;
    bool hiddenIsClear = false;
};

// Which quads are drawn. Shading the ground is most of a frame's cost in software OpenGL: a quad
// wholly beyond the fog's end is left out when that looks the same.
struct GroundPlan {
    std::vector<VECTOR3D> drawn;  // centres
    bool allDrawn = true;
    std::array<VECTOR3D, 4> outline;  // the corners of the whole ground, in drawing order
};
// `modelview` is the view's column-major matrix.
GroundPlan PlanGround(VECTOR3D bounds, bool tiled, const float modelview[16], const GroundFog& fog);

// Draws the quads around `centres` in one batch with the bound texture, each showing the whole
// picture.
void DrawGroundQuads(VECTOR3D bounds, const std::vector<VECTOR3D>& centres);
