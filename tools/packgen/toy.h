// The toy: a ball of yarn, 20 model units in radius (0.7 world units at the toy's scale of
// 0.035), its surface ridged by wound thread, one group, textured all over by one yarn skin.
#pragma once

#include "tools/packgen/mesh.h"

namespace packgen {

constexpr double kYarnRadius = 20.0;

Mesh BuildYarnBall();

}  // namespace packgen
