#include "tools/packgen/toy.h"

#include <cmath>

namespace packgen {

Mesh BuildYarnBall() {
    Egg ball;
    ball.part = Part::Yarn;
    ball.a = {0, -kYarnRadius, 0};
    ball.b = {0, kYarnRadius, 0};
    ball.rx = ball.ry = kYarnRadius;
    ball.slices = 28;
    ball.stacks = 18;
    ball.chart = Chart{0, 0, 1, 1};
    Mesh mesh;
    AddEgg(mesh, ball);
    // Ridges of wound thread: a small bump along a few great circles, kept inside the radius so
    // the ball still rests on its nominal size.
    for (MeshVertex& v : mesh.vertices) {
        const V3 n = Normalized(v.position);
        const double ridge = 0.5 + 0.5 * std::sin(10.0 * std::atan2(n.y + 0.3 * n.x, n.z));
        v.position = n * (kYarnRadius * (0.975 + 0.025 * ridge));
    }
    return mesh;
}

}  // namespace packgen
