// A tube: one continuous skin round a line of cross sections, each section moving with its own
// joint. Where the line passes a joint the sections on either side belong to different joints,
// so a bend stretches the skin between them instead of opening a notch: a back or a tail made
// this way stays one smooth body under rigid, one-joint-per-vertex skinning.
#pragma once

#include <vector>

#include "tools/packgen/mesh.h"

namespace packgen {

// A cross section: centre, half width (along x), height above and depth below the centre line.
struct Station {
    V3 centre;
    double halfWidth = 1, top = 1, bottom = 1;
    int joint = -1;
};

struct Tube : Surface {
    std::vector<Station> stations;  // v runs from the first (0) to the last (1)
    V3 up{0, 1, 0};                 // which way "top" points, as near as the line allows
    int slices = 12;

    V3 Point(double u, double v) const override;
    V3 Normal(double u, double v) const override;
    double Round() const override;
    double Along() const override;
};

// Closes both ends with rounded caps `length` deep, made of `rings` further stations that
// narrow to a point, each moving with the joint of the station it closes.
void RoundEnds(std::vector<Station>& stations, double startLength, double endLength, int rings);

// Appends the tube's surface: one ring of vertices per station, each on its station's joint.
void AddTube(Mesh& mesh, const Tube& tube);

}  // namespace packgen
