// The cat's shape: every part an egg attached rigidly to one joint, neighbouring parts
// overlapping so that bends open no gaps.
#pragma once

#include <vector>

#include "tools/packgen/mesh.h"
#include "tools/packgen/skeleton.h"

namespace packgen {

constexpr int kSkinSize = 512;

struct CatModel {
    std::vector<Joint> skeleton;
    std::vector<Egg> parts;  // with their charts of the skin picture
    Mesh mesh;
};

CatModel BuildCatModel();

}  // namespace packgen
