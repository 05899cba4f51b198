// The toy the cats share: a small textured model with a string hanging from it. It flies under
// its own gravity, bounces and tumbles on the ground, comes to rest, is kicked by the cats, and
// is thrown back towards the middle when it has been out of view for a while.
#pragma once

#include <cstdint>

#include "math/matrix.h"
#include "math/vector3d.h"

class DOGCONTROL;
class RopeSimulation;

class ONETOY {
  public:
    VECTOR3D position{};
    VECTOR3D velocity{};
    VECTOR3D angles{};  // degrees
    VECTOR3D spin{};    // degrees per second
    MATRIX rotation;
    RopeSimulation* rope = nullptr;
    uint32_t displayList = 0;
    uint32_t texID = 0;  // borrowed from the scene's textures; bound by Draw
    int skinSlot = 0;    // the scene texture slot texID comes from
    float offscreenTime = 0.0f;
    // The farthest point of the drawn model from its centre (0 without a model): the screen's
    // damage tracking reckons the toy a ball of this radius.
    float radius = 0.0f;

    ONETOY() = default;
    ~ONETOY();
    ONETOY(const ONETOY&) = delete;
    ONETOY& operator=(const ONETOY&) = delete;

    // Loads the model (the toy pack in resourcePath) into a display list, places the toy just
    // outside the ground and hangs its rope. Without a readable model (false, named once through
    // the population's problems) the toy still moves and can be kicked, but draws nothing and has
    // no rope; Setup may then be called again. `unused` is not read.
    bool Setup(const char* resourcePath, int unused, DOGCONTROL* dc);
    // One frame of motion; the skin follows its scene slot, which a late scene pack may fill.
    void Move(float dt, DOGCONTROL* dc);
    void Draw() const;

    // Rope sub-steps for a frame of dt seconds: one per 0.002 s, at least one.
    static int RopeSteps(float dt);
    // The string's width in pixels for cats of this size factor.
    static float LineWidth(float dogSize) { return 5.0f * dogSize; }

  private:
    void Release();
    bool BuildDisplayList(const char* resourcePath, DOGCONTROL* dc);
    void PlaceOutside(const DOGCONTROL* dc);
    void ThrowBack();
    void HangRope();
};
