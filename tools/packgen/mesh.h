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

// A closed surface that a skin paints: every (u around, v along) point of its chart maps to
// a point of the body, so a coat is painted as a pattern over the body in 3-D.
struct Surface {
    Part part = Part::Body;
    Chart chart;
    int mirror = 0;  // -1 left, +1 right, 0 centre: lets a skin paint the two sides alike

    virtual ~Surface() = default;
    // Surface point and outward unit normal at (u, v), both in 0..1.
    virtual V3 Point(double u, double v) const = 0;
    virtual V3 Normal(double u, double v) const = 0;
    // The size its chart needs, in model units: once round and once along.
    virtual double Round() const = 0;
    virtual double Along() const = 0;

  protected:
    // The unit normal at (u, v), v off the poles, by finite differences of Point, turned to
    // face away from `inner`, a point inside the surface at that v.
    V3 OutwardNormal(double u, double v, V3 inner) const;
};

// An egg: a closed surface around the axis from `a` (v = 0) to `b` (v = 1), elliptic in cross
// section (radius rx along `side`, ry along the direction that `up` gives), its radius scaled
// from taperA at a to taperB at b. `blunt` below 1 flattens the ends towards a capsule. The
// whole egg moves with one joint.
struct Egg : Surface {
    int joint = -1;
    V3 a, b;
    double rx = 1, ry = 1;
    double taperA = 1, taperB = 1;
    double blunt = 1;
    V3 up{0, 1, 0};
    int slices = 8, stacks = 6;

    V3 Point(double u, double v) const override;
    V3 Normal(double u, double v) const override;
    double Round() const override;
    double Along() const override;
    // The axis and frame of the cross sections.
    V3 Axis() const;
    V3 Side() const;
    V3 Across() const;
};

// Appends a triangle wound counter-clockwise seen from outside (where its normals point), so
// that back-face culling keeps the side we see.
void AddFacingOut(Mesh& mesh, MeshTriangle t);

// Appends the egg's surface (a grid of slices x stacks, closed at both poles) to the mesh.
void AddEgg(Mesh& mesh, const Egg& egg);

// Gives every surface a chart of the texture, sized by its surface and packed on shelves; a
// margin of `padding` texels of a size x size picture keeps charts from bleeding into each other.
void PackCharts(const std::vector<Surface*>& surfaces, int size, int padding);

}  // namespace packgen
