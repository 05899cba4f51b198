// Coats painted onto the cat's texture layout. Every texel of a part's chart is traced back to
// the point of the body it covers, and the coat is a pattern over the body in 3-D (tabby stripes
// round the body and legs, light belly and muzzle, eyes, nose, inner ears), so the pattern runs
// on across the seams between parts.
#pragma once

#include "tools/packgen/cat_mesh.h"
#include "tools/packgen/image.h"

namespace packgen {

enum class Coat { GingerTabby, SilverTabby, Tuxedo };
constexpr Coat kCoats[3] = {Coat::GingerTabby, Coat::SilverTabby, Coat::Tuxedo};

Image PaintCoat(const CatModel& cat, Coat coat);

}  // namespace packgen
