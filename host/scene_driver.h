// What the view asks of its scene: the life cycle of the scene driver, behind an interface so
// that the view's own logic (frame timing, set-up order, screens) can be exercised alone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "scene/damage.h"

struct SETTINGS;

class SceneDriver {
  public:
    virtual ~SceneDriver() = default;
    virtual bool Setup(bool isPreview, int width, int height, SETTINGS* settings,
                       const char* resourcePath) = 0;
    virtual void SetSize(int width, int height) = 0;
    virtual void Update(double dt) = 0;
    virtual void Draw() = 0;
    // The back buffer holds the frame presented `age` frames ago (1: the last), or 0 when its
    // content is undefined. Called before each Draw; a scene that never hears it, or hears 0,
    // draws whole frames.
    virtual void SetBackBufferAge(int /*age*/) {}
    // Where the last Draw changed the picture against the frame before: false when it may have
    // changed anywhere, else the rectangles (none when nothing changed).
    virtual bool ChangedRects(std::vector<PixelRect>* /*rects*/) const { return false; }
    // Frees every GL object of the scene, the ground texture included; safe to call twice.
    virtual void Cleanup() = 0;
    // Hands over the ground picture's GL name; the scene owns it from then on.
    virtual void SetGroundTexture(uint32_t texture) = 0;
};

// Makes a new scene driver; nullptr when none can be made.
using SceneFactory = std::function<std::unique_ptr<SceneDriver>()>;
