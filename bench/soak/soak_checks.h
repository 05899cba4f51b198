// What a long run of the scene must keep true, read from the live scene: every number finite,
// the cats and the toy near the ground, the footprint ring's cursors in range, and the cats'
// meshes equal to freshly posed ones.
#pragma once

#include <string>
#include <vector>

class DOGCONTROL;
class ONEMODEL;

struct SoakLimits {
    // How far beyond the ground's edge a cat may be, in body lengths.
    float catMarginBodies = 28.0f;
    // How far beyond the ground's edge the toy may be, in ground sizes.
    float toyMarginGround = 2.0f;
    // The largest drift of a posed vertex, in model units.
    float meshTolerance = 1e-3f;
};

// Checks made every frame: cheap ones. Problems are appended to `problems` as one line each.
void CheckFrame(const DOGCONTROL& dc, float bodyLength, const SoakLimits& limits,
                std::vector<std::string>& problems);

// Checks made at a checkpoint: every vertex finite, and each cat's mesh against a fresh copy of
// the template cat posed with the same joints. Returns the largest drift found.
float CheckMeshes(DOGCONTROL& dc, const SoakLimits& limits, std::vector<std::string>& problems);

// The horizontal size of a posed cat: the larger of its mesh's x and z extents.
float BodyLength(const ONEMODEL& cat);

// How far the toy is beyond the ground's edge, in ground sizes (0 inside).
float ToyExcursion(const DOGCONTROL& dc);

// How far the farthest placed cat is beyond the ground's edge, in body lengths (0 inside).
float CatExcursion(const DOGCONTROL& dc, float bodyLength);

// Resident and peak resident memory of this process in kilobytes (0 when unreadable).
long ResidentKilobytes();
long PeakResidentKilobytes();
