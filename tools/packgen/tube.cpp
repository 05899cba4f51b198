#include "tools/packgen/tube.h"

#include <algorithm>
#include <cmath>

namespace packgen {

namespace {

// Catmull-Rom through p1 and p2, so the surface passes through every station smoothly.
double Spline(double p0, double p1, double p2, double p3, double f) {
    return 0.5 * (2 * p1 + (p2 - p0) * f + (2 * p0 - 5 * p1 + 4 * p2 - p3) * f * f +
                  (3 * p1 - p0 - 3 * p2 + p3) * f * f * f);
}

V3 Spline(V3 a, V3 b, V3 c, V3 d, double f) {
    return {Spline(a.x, b.x, c.x, d.x, f), Spline(a.y, b.y, c.y, d.y, f),
            Spline(a.z, b.z, c.z, d.z, f)};
}

struct Section {
    V3 centre, axis;
    double halfWidth, top, bottom;
};

Section SectionAt(const Tube& t, double v) {
    const int n = int(t.stations.size());
    const double x = Clamp(v, 0.0, 1.0) * (n - 1);
    const int i = std::min(n - 2, int(std::floor(x)));
    const double f = x - i;
    auto at = [&](int k) { return t.stations[std::clamp(k, 0, n - 1)]; };
    const Station &s0 = at(i - 1), &s1 = at(i), &s2 = at(i + 1), &s3 = at(i + 2);
    Section s;
    s.centre = Spline(s0.centre, s1.centre, s2.centre, s3.centre, f);
    s.halfWidth = std::max(0.0, Spline(s0.halfWidth, s1.halfWidth, s2.halfWidth, s3.halfWidth, f));
    s.top = std::max(0.0, Spline(s0.top, s1.top, s2.top, s3.top, f));
    s.bottom = std::max(0.0, Spline(s0.bottom, s1.bottom, s2.bottom, s3.bottom, f));
    // The axis at a station points from the station before it to the one after it.
    auto axis = [&](int k) { return Normalized(at(k + 1).centre - at(k - 1).centre); };
    s.axis = Normalized(Lerp(axis(i), axis(i + 1), f));
    return s;
}

V3 Across(const Tube& t, V3 axis) {
    V3 u = t.up - axis * Dot(t.up, axis);
    if (Length(u) < 1e-9) u = Cross(axis, V3{1, 0, 0});
    return Normalized(u);
}

}  // namespace

V3 Tube::Point(double u, double v) const {
    const Section s = SectionAt(*this, v);
    const V3 across = Across(*this, s.axis), side = Normalized(Cross(across, s.axis));
    const double theta = 2.0 * kPi * u;
    const double st = std::sin(theta);
    // Height blends from the depth below to the height above, smoothly round the sides.
    const double height = Mix(s.bottom, s.top, 0.5 + 0.5 * st);
    return s.centre + side * (std::cos(theta) * s.halfWidth) + across * (st * height);
}

V3 Tube::Normal(double u, double v) const {
    // A pole (a section shrunk to a point) faces along the axis.
    if (v <= 0.0 && stations.front().halfWidth <= 0.0) return SectionAt(*this, 0.0).axis * -1.0;
    if (v >= 1.0 && stations.back().halfWidth <= 0.0) return SectionAt(*this, 1.0).axis;
    const double v0 = Clamp(v, 1e-4, 1.0 - 1e-4);
    return OutwardNormal(u, v0, SectionAt(*this, v0).centre);
}

double Tube::Round() const {
    double widest = 0;
    for (const Station& s : stations)
        widest = std::max(widest, kPi * (s.halfWidth + 0.5 * (s.top + s.bottom)));
    return widest;
}

double Tube::Along() const {
    double length = 0;
    for (size_t i = 1; i < stations.size(); ++i)
        length += Length(stations[i].centre - stations[i - 1].centre);
    return length;
}

void RoundEnds(std::vector<Station>& stations, double startLength, double endLength, int rings) {
    auto caps = [&](const Station& end, V3 outward, double length) {
        std::vector<Station> cap;
        for (int k = 1; k <= rings; ++k) {
            const double phi = 0.5 * kPi * k / rings;
            const double shrink = k == rings ? 0.0 : std::cos(phi);
            Station s = end;
            s.centre = end.centre + outward * (length * std::sin(phi));
            s.halfWidth *= shrink;
            s.top *= shrink;
            s.bottom *= shrink;
            cap.push_back(s);
        }
        return cap;
    };
    const size_t n = stations.size();
    const std::vector<Station> front =
        caps(stations[0], Normalized(stations[0].centre - stations[1].centre), startLength);
    const std::vector<Station> back = caps(
        stations[n - 1], Normalized(stations[n - 1].centre - stations[n - 2].centre), endLength);
    stations.insert(stations.begin(), front.rbegin(), front.rend());
    stations.insert(stations.end(), back.begin(), back.end());
}

void AddTube(Mesh& mesh, const Tube& tube) {
    const int first = static_cast<int>(mesh.vertices.size());
    const int rings = int(tube.stations.size()), columns = tube.slices + 1;
    for (int j = 0; j < rings; ++j) {
        for (int i = 0; i <= tube.slices; ++i) {
            const double u = double(i) / tube.slices, v = double(j) / (rings - 1);
            mesh.vertices.push_back({tube.Point(u, v), tube.stations[j].joint});
        }
    }
    auto corner = [&](MeshTriangle& t, int k, int i, int j) {
        const double u = double(i) / tube.slices, v = double(j) / (rings - 1);
        t.v[k] = first + j * columns + i;
        t.normal[k] = tube.Normal(u, v);
        t.s[k] = Mix(tube.chart.s0, tube.chart.s1, u);
        t.t[k] = Mix(tube.chart.t0, tube.chart.t1, v);
    };
    auto pole = [&](int j) { return tube.stations[j].halfWidth <= 0.0; };
    for (int j = 0; j + 1 < rings; ++j) {
        for (int i = 0; i < tube.slices; ++i) {
            MeshTriangle a, b;
            corner(a, 0, i, j), corner(a, 1, i + 1, j + 1), corner(a, 2, i, j + 1);
            corner(b, 0, i, j), corner(b, 1, i + 1, j), corner(b, 2, i + 1, j + 1);
            // A ring shrunk to a point needs one triangle per slice, not two.
            if (!pole(j + 1)) AddFacingOut(mesh, a);
            if (!pole(j)) AddFacingOut(mesh, b);
        }
    }
}

}  // namespace packgen
