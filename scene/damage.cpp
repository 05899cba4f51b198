#include "scene/damage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Pixels the union of a and b holds beyond what a and b cover.
int64_t Waste(const PixelRect& a, const PixelRect& b) {
    return Union(a, b).Area() - (a.Area() + b.Area() - Intersection(a, b).Area());
}

// A column-major matrix as GL reports it, widened to double.
MATRIX Widened(const float m[16]) {
    MATRIX wide;
    std::copy(m, m + 16, wide.m);
    return wide;
}

}  // namespace

PixelRect Union(const PixelRect& a, const PixelRect& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    const int x0 = std::min(a.x, b.x);
    const int y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width);
    const int y1 = std::max(a.y + a.height, b.y + b.height);
    return PixelRect{x0, y0, x1 - x0, y1 - y0};
}

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
    const int x0 = std::max(a.x, b.x);
    const int y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width);
    const int y1 = std::min(a.y + a.height, b.y + b.height);
    if (x1 <= x0 || y1 <= y0) return PixelRect{};
    return PixelRect{x0, y0, x1 - x0, y1 - y0};
}

std::vector<PixelRect> MergeRects(std::vector<PixelRect> rects, size_t most, int64_t slack) {
    std::vector<PixelRect> kept;
    for (const PixelRect& rect : rects) {
        if (rect.Empty()) continue;
        PixelRect grown = rect;
        // Absorb every kept rectangle that joins cheaply; a grown one may now join others.
        for (size_t i = 0; i < kept.size();) {
            if (Waste(grown, kept[i]) < slack) {
                grown = Union(grown, kept[i]);
                kept.erase(kept.begin() + long(i));
                i = 0;
            } else {
                ++i;
            }
        }
        kept.push_back(grown);
    }
    while (kept.size() > std::max<size_t>(most, 1)) {
        size_t bestA = 0, bestB = 1;
        int64_t best = std::numeric_limits<int64_t>::max();
        for (size_t a = 0; a < kept.size(); ++a) {
            for (size_t b = a + 1; b < kept.size(); ++b) {
                const int64_t waste = Waste(kept[a], kept[b]);
                if (waste < best) {
                    best = waste;
                    bestA = a;
                    bestB = b;
                }
            }
        }
        kept[bestA] = Union(kept[bestA], kept[bestB]);
        kept.erase(kept.begin() + long(bestB));
    }
    return kept;
}

SceneLook::SceneLook() {
    std::memset(this, 0, sizeof *this);
}

void FrameDamage::Begin(const SceneLook& look) {
    resized_ = !haveLook_ || look.width != look_.width || look.height != look_.height;
    whole_ = resized_ || std::memcmp(&look, &look_, sizeof look) != 0;
    look_ = look;
    haveLook_ = true;
    covered_ = false;
    viewProjection_ = MultiplyMatrix(Widened(look.projection), Widened(look.modelview));
    lastObjects_.swap(objects_);
    objects_.clear();
    changes_.clear();
    depthWriters_.clear();
}

bool FrameDamage::ToWindow(const VECTOR3D& p, double* x, double* y) const {
    const double* m = viewProjection_.m;
    const double cx = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
    const double cy = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
    const double w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
    // A point at or behind the eye projects nowhere sensible.
    if (!(w > 1e-6)) return false;
    *x = (cx / w + 1.0) * 0.5 * look_.width;
    *y = (cy / w + 1.0) * 0.5 * look_.height;
    return std::isfinite(*x) && std::isfinite(*y);
}

PixelRect FrameDamage::Project(const VECTOR3D* points, int count, const MATRIX* model,
                               float margin) const {
    const PixelRect frame{0, 0, look_.width, look_.height};
    if (count <= 0) return PixelRect{};
    double x0 = std::numeric_limits<double>::max(), y0 = x0;
    double x1 = -x0, y1 = -x0;
    for (int i = 0; i < count; ++i) {
        double x, y;
        // Where a point cannot be placed the box may cover anything.
        if (!ToWindow(model ? MatrixPointMultiply(*model, points[i]) : points[i], &x, &y)) {
            return frame;
        }
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    // Beyond the frame on any side, the box is clipped anyway: keep the numbers in int range.
    const double limit = 4.0 * std::max(look_.width, look_.height) + 16.0;
    auto pixel = [&](double v) { return int(std::clamp(v, -limit, limit)); };
    const int left = pixel(std::floor(x0 - margin));
    const int bottom = pixel(std::floor(y0 - margin));
    const int right = pixel(std::ceil(x1 + margin));
    const int top = pixel(std::ceil(y1 + margin));
    return Intersection(PixelRect{left, bottom, right - left, top - bottom}, frame);
}

PixelRect FrameDamage::AddObjectBox(const VECTOR3D& low, const VECTOR3D& high, const MATRIX& model,
                                    float margin) {
    VECTOR3D corners[8];
    for (int i = 0; i < 8; ++i) {
        corners[i] =
            VECTOR3D{(i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z};
    }
    objects_.push_back(Project(corners, 8, &model, margin));
    return objects_.back();
}

PixelRect FrameDamage::AddObjectPoints(const VECTOR3D* points, int count, float margin) {
    objects_.push_back(Project(points, count, nullptr, margin));
    return objects_.back();
}

PixelRect FrameDamage::AddObjectPixels(const PixelRect& rect) {
    objects_.push_back(Intersection(rect, PixelRect{0, 0, look_.width, look_.height}));
    return objects_.back();
}

void FrameDamage::AddChangePoints(const VECTOR3D* points, int count, float margin) {
    changes_.push_back(Project(points, count, nullptr, margin));
}

void FrameDamage::Reset() {
    haveLook_ = false;
    history_.clear();
    objects_.clear();
    lastObjects_.clear();
}

void FrameDamage::End() {
    Change change;
    // A cover hides any change below it, but not a frame of another size.
    change.whole = resized_ || (whole_ && !covered_);
    if (!change.whole && !covered_) {
        std::vector<PixelRect> all = changes_;
        all.insert(all.end(), lastObjects_.begin(), lastObjects_.end());
        all.insert(all.end(), objects_.begin(), objects_.end());
        change.rects = MergeRects(std::move(all), kMostRects, kMergeSlack);
    }
    change.depthWriters = depthWriters_;
    history_.insert(history_.begin(), std::move(change));
    if (history_.size() > size_t(kHistory)) history_.pop_back();
}

bool FrameDamage::Repair(int age, std::vector<PixelRect>* rects) const {
    rects->clear();
    // The history must reach the frame the buffer holds, one older than the changes repaired.
    if (age <= 0 || size_t(age) >= history_.size()) return false;
    std::vector<PixelRect> all;
    for (int i = 0; i < age; ++i) {
        if (history_[size_t(i)].whole) return false;
        all.insert(all.end(), history_[size_t(i)].rects.begin(), history_[size_t(i)].rects.end());
    }
    *rects = age == 1 ? std::move(all) : MergeRects(std::move(all), kMostRects, kMergeSlack);
    return true;
}

bool FrameDamage::DepthWritten(int age, std::vector<PixelRect>* rects) const {
    rects->clear();
    if (age <= 0 || size_t(age) >= history_.size()) return false;
    *rects = history_[size_t(age)].depthWriters;
    return true;
}

bool FrameDamage::Covers(const VECTOR3D corners[4]) const {
    double x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        if (!ToWindow(corners[i], &x[i], &y[i])) return false;
    }
    // Every pixel centre lies within the frame's outermost centres, so the quad covers them all
    // when it holds those four corners: on the inner side of each edge, whichever way it winds.
    const double px[4] = {0.5, look_.width - 0.5, look_.width - 0.5, 0.5};
    const double py[4] = {0.5, 0.5, look_.height - 0.5, look_.height - 0.5};
    double area = 0.0;
    for (int i = 0; i < 4; ++i) area += x[i] * y[(i + 1) % 4] - x[(i + 1) % 4] * y[i];
    if (!std::isfinite(area) || area == 0.0) return false;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        for (int k = 0; k < 4; ++k) {
            const double side = (x[j] - x[i]) * (py[k] - y[i]) - (y[j] - y[i]) * (px[k] - x[i]);
            if (side * area < 0.0) return false;
        }
    }
    return true;
}
