// The cat's shape: the back, neck and tail are tubes whose sections follow the joints of the
// spine and tail, so they bend as one smooth body; the head, legs and paws are eggs, each
// attached rigidly to one joint, neighbouring parts overlapping so that bends open no gaps.
#pragma once

#include <vector>

#include "tools/packgen/mesh.h"
#include "tools/packgen/skeleton.h"
#include "tools/packgen/tube.h"

namespace packgen {

constexpr int kSkinSize = 512;

struct CatModel {
    std::vector<Joint> skeleton;
    std::vector<Tube> tubes;  // the body with neck first, then the tail
    std::vector<Egg> eggs;    // with their charts of the skin picture
    Mesh mesh;

    // Every part, tubes first.
    std::vector<const Surface*> Surfaces() const;
};

CatModel BuildCatModel();

}  // namespace packgen
