// Where a frame differs from the one before. Software OpenGL spends nearly all of a frame shading
// the full-screen ground, yet while the camera holds still only the cats, the toy and its string,
// the prints that are laid or fading and the banner change. A surface that keeps its back buffer
// between frames then needs only those rectangles redrawn and presented.
//
// Each frame the scene states what decides every pixel (the view, the size, the ground picture,
// tiling and fog: its look) and the screen boxes of what moved. The frame's change is the union of
// last frame's and this frame's object boxes, plus one-off changes (a print laid or fading); it is
// the whole frame whenever the look differs from the last frame's, and on the first frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/matrix.h"
#include "math/vector3d.h"

// A rectangle of pixels counted from the bottom-left corner of the drawing area, as OpenGL's
// window coordinates are.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Empty() const { return width <= 0 || height <= 0; }
    int64_t Area() const { return Empty() ? 0 : int64_t(width) * height; }
};

// The smallest rectangle holding both; an empty one adds nothing.
PixelRect Union(const PixelRect& a, const PixelRect& b);
// The pixels the two share (empty when none).
PixelRect Intersection(const PixelRect& a, const PixelRect& b);
// Merges rectangles until at most `most` remain, always the pair whose union wastes the fewest
// pixels, and also any pair whose union wastes fewer than `slack` pixels (one pass over a few
// large rectangles is cheaper than many passes over small ones). Empty rectangles are dropped.
std::vector<PixelRect> MergeRects(std::vector<PixelRect> rects, size_t most, int64_t slack);

// Everything besides the objects that decides the frame's pixels. Compared bytewise.
struct SceneLook {
    float projection[16];
    float modelview[16];
    int32_t width;
    int32_t height;
    uint32_t groundTexture;
    int32_t tiled;
    int32_t fogged;

    SceneLook();  // all zero, padding included
};

class FrameDamage {
  public:
    // Frames of change kept: a back buffer older than this is redrawn whole.
    static constexpr int kHistory = 4;
    // Passes a repaired frame may take, and the waste (pixels) below which rectangles merge.
    static constexpr size_t kMostRects = 8;
    static constexpr int64_t kMergeSlack = 64 * 64;
    // Pixels around every projected box: rasterisation rounds, and edges are filtered.
    static constexpr float kMargin = 2.0f;

    // Starts a frame seen with `look`; boxes added until End are projected with its matrices.
    void Begin(const SceneLook& look);
    // Something that is drawn every frame and may move: its box counts this frame and the next.
    // Each returns the box in pixels (clipped to the frame).
    PixelRect AddObjectBox(const VECTOR3D& low, const VECTOR3D& high, const MATRIX& model,
                           float margin = kMargin);
    PixelRect AddObjectPoints(const VECTOR3D* points, int count, float margin = kMargin);
    PixelRect AddObjectPixels(const PixelRect& rect);
    // A change of this frame only (a print laid, fading or overwritten).
    void AddChangePoints(const VECTOR3D* points, int count, float margin = kMargin);
    // Where this frame writes depth (an object's box): a later frame over the same buffer resets
    // the depth there, and only there.
    void AddDepthWriter(const PixelRect& rect) { depthWriters_.push_back(rect); }
    // The frame changes everywhere (the scene's dimming changes).
    void AddWhole() { whole_ = true; }
    // Nothing below a fully opaque cover shows this frame, and the cover is as before: whatever
    // moved, the picture is unchanged.
    void Covered() { covered_ = true; }
    // Forgets every frame before: the next frame changes everywhere.
    void Reset();
    // Ends the frame and records its change.
    void End();

    // What a frame drawn over a back buffer holding the frame presented `age` frames ago must
    // redraw: false for the whole frame (age 0, older than the history, or a whole change among
    // them), else the rectangles (none when nothing changed).
    bool Repair(int age, std::vector<PixelRect>* rects) const;
    // This frame's change against the last: false for the whole frame, else its rectangles.
    bool Changed(std::vector<PixelRect>* rects) const { return Repair(1, rects); }
    // Where the frame held by a back buffer `age` frames old wrote depth (everywhere else that
    // buffer's depth is still as cleared); false when that frame is not known.
    bool DepthWritten(int age, std::vector<PixelRect>* rects) const;

    // The convex quad of world points `corners` (in order around it) covers the centre of every
    // pixel of this frame.
    bool Covers(const VECTOR3D corners[4]) const;

    // Where world points (through `model`, when given) fall in this frame, clipped to it; the
    // whole frame when one lies at or behind the eye.
    PixelRect Project(const VECTOR3D* points, int count, const MATRIX* model = nullptr,
                      float margin = kMargin) const;

  private:
    // The window position of a world point; false at or behind the eye.
    bool ToWindow(const VECTOR3D& p, double* x, double* y) const;

    struct Change {
        bool whole = true;
        std::vector<PixelRect> rects;
        std::vector<PixelRect> depthWriters;
    };

    SceneLook look_;
    bool haveLook_ = false;
    MATRIX viewProjection_;
    std::vector<PixelRect> objects_;
    std::vector<PixelRect> lastObjects_;
    std::vector<PixelRect> changes_;
    std::vector<PixelRect> depthWriters_;
    bool whole_ = false;
    bool resized_ = false;
    bool covered_ = false;
    std::vector<Change> history_;  // newest first, at most kHistory
};
