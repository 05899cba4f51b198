#include "tools/packgen/mesh.h"

#include <algorithm>
#include <numeric>

namespace packgen {

V3 Egg::Axis() const {
    return Normalized(b - a);
}

V3 Egg::Across() const {
    const V3 d = Axis();
    V3 u = up - d * Dot(up, d);
    if (Length(u) < 1e-9) u = Cross(d, V3{1, 0, 0});
    return Normalized(u);
}

V3 Egg::Side() const {
    return Normalized(Cross(Across(), Axis()));
}

V3 Egg::Point(double u, double v) const {
    const V3 d = Axis();
    const double h = Length(b - a) * 0.5;
    const V3 c = (a + b) * 0.5;
    const double psi = kPi * Clamp(v, 0.0, 1.0);
    const double ring = std::pow(std::max(0.0, std::sin(psi)), blunt) * Mix(taperA, taperB, v);
    const double theta = 2.0 * kPi * u;
    // Blunt ends keep the axial position of a sphere so the poles stay where a and b are.
    return c + d * (-h * std::cos(psi)) +
           (Side() * (std::cos(theta) * rx) + Across() * (std::sin(theta) * ry)) * ring;
}

V3 Surface::OutwardNormal(double u, double v, V3 inner) const {
    const double e = 1e-4;
    const V3 du = Point(u + e, v) - Point(u - e, v);
    const V3 dv = Point(u, v + e) - Point(u, v - e);
    V3 n = Cross(dv, du);
    const V3 outward = Point(u, v) - inner;
    if (Dot(n, outward) < 0) n = n * -1.0;
    if (Length(n) < 1e-12) n = outward;
    return Normalized(n);
}

V3 Egg::Normal(double u, double v) const {
    if (v <= 0.0) return Axis() * -1.0;
    if (v >= 1.0) return Axis();
    const double v0 = Clamp(v, 1e-4, 1.0 - 1e-4);
    return OutwardNormal(u, v0, a + (b - a) * v0);
}

void AddFacingOut(Mesh& mesh, MeshTriangle t) {
    // Wind every triangle counter-clockwise seen from outside, whatever the surface's frame.
    const V3 p0 = mesh.vertices[t.v[0]].position, p1 = mesh.vertices[t.v[1]].position,
             p2 = mesh.vertices[t.v[2]].position;
    const V3 facing = Cross(p1 - p0, p2 - p0);
    if (Dot(facing, t.normal[0] + t.normal[1] + t.normal[2]) < 0) {
        std::swap(t.v[1], t.v[2]);
        std::swap(t.normal[1], t.normal[2]);
        std::swap(t.s[1], t.s[2]);
        std::swap(t.t[1], t.t[2]);
    }
    mesh.triangles.push_back(t);
}

double Egg::Round() const {
    const double ring = std::max(taperA, taperB);
    return 2.0 * kPi * 0.5 * (rx + ry) * std::max(0.6, (taperA + taperB) * 0.5) *
           std::max(1.0, ring * 0.8);
}

double Egg::Along() const {
    return Length(b - a);
}

void AddEgg(Mesh& mesh, const Egg& egg) {
    const int first = static_cast<int>(mesh.vertices.size());
    const int columns = egg.slices + 1;
    for (int j = 0; j <= egg.stacks; ++j) {
        for (int i = 0; i <= egg.slices; ++i) {
            const double u = double(i) / egg.slices, v = double(j) / egg.stacks;
            mesh.vertices.push_back({egg.Point(u, v), egg.joint});
        }
    }
    auto corner = [&](MeshTriangle& t, int k, int i, int j) {
        const double u = double(i) / egg.slices, v = double(j) / egg.stacks;
        t.v[k] = first + j * columns + i;
        t.normal[k] = egg.Normal(u, v);
        t.s[k] = Mix(egg.chart.s0, egg.chart.s1, u);
        t.t[k] = Mix(egg.chart.t0, egg.chart.t1, v);
    };
    auto add = [&](int i0, int j0, int i1, int j1, int i2, int j2) {
        MeshTriangle t;
        corner(t, 0, i0, j0);
        corner(t, 1, i1, j1);
        corner(t, 2, i2, j2);
        AddFacingOut(mesh, t);
    };
    for (int j = 0; j < egg.stacks; ++j) {
        for (int i = 0; i < egg.slices; ++i) {
            // The pole rows collapse to a point: one triangle there instead of two.
            if (j != egg.stacks - 1) add(i, j, i + 1, j + 1, i, j + 1);
            if (j != 0) add(i, j, i + 1, j, i + 1, j + 1);
        }
    }
}

namespace {

struct Extent {
    double w, h;  // chart size in model units before scaling to texels
};

Extent ExtentOf(const Surface& s) {
    return {s.Round(), s.Along() * 1.3 + 0.2};
}

// Shelf packing of the rectangles at `scale` texels per unit; false when they do not fit.
bool Pack(const std::vector<Surface*>& surfaces, const std::vector<int>& order, double scale,
          int size, int padding, std::vector<Chart>* out) {
    int x = 0, y = 0, shelf = 0;
    out->assign(surfaces.size(), Chart{});
    for (int i : order) {
        const Extent e = ExtentOf(*surfaces[i]);
        const int w = std::max(4, int(e.w * scale)) + 2 * padding;
        const int h = std::max(4, int(e.h * scale)) + 2 * padding;
        if (w > size) return false;
        if (x + w > size) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        if (y + h > size) return false;
        (*out)[i] = Chart{double(x + padding) / size, double(y + padding) / size,
                          double(x + w - padding) / size, double(y + h - padding) / size};
        x += w;
        shelf = std::max(shelf, h);
    }
    return true;
}

}  // namespace

void PackCharts(const std::vector<Surface*>& surfaces, int size, int padding) {
    std::vector<int> order(surfaces.size());
    std::iota(order.begin(), order.end(), 0);
    // Tallest first; ties keep their order so the layout never depends on the sort's mood.
    std::stable_sort(order.begin(), order.end(), [&](int l, int r) {
        return ExtentOf(*surfaces[l]).h > ExtentOf(*surfaces[r]).h;
    });
    double lo = 1.0, hi = 400.0;
    std::vector<Chart> charts;
    for (int step = 0; step < 40; ++step) {
        const double mid = 0.5 * (lo + hi);
        if (Pack(surfaces, order, mid, size, padding, &charts))
            lo = mid;
        else
            hi = mid;
    }
    Pack(surfaces, order, lo, size, padding, &charts);
    for (size_t i = 0; i < surfaces.size(); ++i) surfaces[i]->chart = charts[i];
}

}  // namespace packgen
