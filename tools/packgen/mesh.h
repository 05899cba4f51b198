// The generator's own mesh: rigidly skinned vertices, triangles with a normal and a texture
// coordinate per corner (t measured from the top row of the picture), and the primitive shape
// every part of our models is made of.
#pragma once

#include <vector>

#include "tools/packgen/vec3.h"

namespace packgen {

struct MeshVertex {
    V3 position;
    int joint = -1;
};

struct MeshTriangle {
    int v[3] = {0, 0, 0};
    V3 normal[3];
    double s[3] = {0, 0, 0};
    double t[3] = {0, 0, 0};
};

struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
};

// A rectangle of the texture, in texture coordinates (0..1, t from the top).
struct Chart {
    double s0 = 0, t0 = 0, s1 = 1, t1 = 1;
};

// What a surface is, so that a skin knows how to paint it.
enum class Part {
    Body,
    Belly,
    Neck,
    Head,
    Muzzle,
    Cheek,
    Jaw,
    Nose,
    Eye,
    Ear,
    Tongue,
    Leg,
    Paw,
    Tail,
    Yarn
};

// An egg: a closed surface around the axis from `a` (v = 0) to `b` (v = 1), elliptic in cross
// section (radius rx along `side`, ry along the direction that `up` gives), its radius scaled
// from taperA at a to taperB at b. `blunt` below 1 flattens the ends towards a capsule.
struct Egg {
    Part part = Part::Body;
    int joint = -1;
    V3 a, b;
    double rx = 1, ry = 1;
    double taperA = 1, taperB = 1;
    double blunt = 1;
    V3 up{0, 1, 0};
    int slices = 8, stacks = 6;
    Chart chart;
    int mirror = 0;  // -1 left, +1 right, 0 centre: lets a skin paint the two sides alike

    // Surface point and outward unit normal at (u around, v along), both in 0..1.
    V3 Point(double u, double v) const;
    V3 Normal(double u, double v) const;
    // The axis and frame of the cross sections.
    V3 Axis() const;
    V3 Side() const;
    V3 Across() const;
};

// Appends the egg's surface (a grid of slices x stacks, closed at both poles) to the mesh.
void AddEgg(Mesh& mesh, const Egg& egg);

// Gives every egg a chart of the texture, sized by its surface and packed on shelves; a margin
// of `padding` texels of a size x size picture keeps charts from bleeding into each other.
void PackCharts(std::vector<Egg>& eggs, int size, int padding);

}  // namespace packgen
