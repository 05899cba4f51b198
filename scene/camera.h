// The point of view. It alternates a fixed overview from straight above with one of three moving
// shots (a tilted orbit, a tumble around the centre, or a shot that follows one cat), and glides
// between poses with a smoothing factor that grows from 0 after every change of shot.
#pragma once

#include <cstdint>

#include "math/matrix.h"
#include "math/vector3d.h"

class DOGCONTROL;

class CAMERA {
  public:
    enum { kOverview = 0, kOrbit = 1, kTumble = 2, kFollow = 3 };

    VECTOR3D eye{0.0f, 40.0f, 0.0f};
    VECTOR3D eyeTarget{0.0f, 40.0f, 0.0f};
    VECTOR3D centre{0.0f, 0.0f, 0.0f};
    VECTOR3D centreTarget{0.0f, 0.0f, 0.0f};
    VECTOR3D up{0.0f, 0.0f, -1.0f};
    VECTOR3D upTarget{0.0f, 0.0f, -1.0f};
    VECTOR3D spin{0.0f, 0.0f, 0.0f};    // degrees per second about x, y, z in the moving shots
    VECTOR3D offset{0.0f, 0.0f, 0.0f};  // eye relative to the followed cat
    MATRIX stepRotation;
    float blend = 0.0f;
    float blendTarget = 0.0f;
    float modeTimer = 20.0f;
    float snapTimer = 0.0f;
    int32_t mode = kOverview;
    int32_t followIndex = 0;

    // Shots entered since construction (every expiry of the shot timer enters one).
    int32_t shotsEntered = 0;

    // Advances by dt seconds and multiplies the look-at transform onto the current matrix.
    void Move(DOGCONTROL* dogControl, double dt);

    // The steps of Move without GL: shot timer, shot motion, smoothing. `dogSize` and the cats'
    // positions (`positions`, `count` of them) are what the follow shot reads.
    void Advance(double dt, float dogSize, const VECTOR3D* positions, int count);

  private:
    void StartShot(float dogSize, int count);
};
