// One cat: a model instance with its behaviour (action, clip, walk target, gait and turning
// rate), its feet for footprints, and the toy it plays with.
#pragma once

#include <cstdint>

#include "math/vector3d.h"
#include "model/one_model.h"

class DOGCONTROL;
class ONETOY;
struct DOGTEMPLATE;

class ONEDOG : public ONEMODEL {
  public:
    // Actions.
    enum {
        kUnplaced = -1,
        kPlaced = 0,
        kWalk = 1,
        kIdle = 2,
        kFinish = 3,
        kPlay = 4,
    };

    int32_t action = kUnplaced;
    int32_t clip = 0;
    VECTOR3D target{};
    VECTOR3D lookTarget{};
    int32_t footRow = 0;
    int32_t texIndex = 0;
    int32_t footDown[4] = {1, 1, 1, 1};
    VECTOR3D footPos[4] = {};
    float speed = 1.0f;
    float targetSpeed = 1.0f;
    float turnRate = 0.75f;
    float targetTurnRate = 0.75f;
    float targetTimer = 0.0f;
    ONETOY* toy = nullptr;  // the toy this cat plays with or chases; not owned

    // Makes this cat an independent instance of the template's model (shared animation data,
    // own joints, materials, groups, indices and vertices).
    bool CopyFrom(DOGTEMPLATE* t);

    void SetAnim(int clip, bool blend);
    void SetAction(int action);
    // Places an unplaced cat just outside a random edge of the visible ground.
    void Reset(DOGCONTROL* dc);

    void Move(double dt, DOGCONTROL* dc);
    void TurnToTarget(float rate, double dt);
    // Toy contact and play, and avoidance of the other cats; run by walking cats.
    bool CheckCollisions(DOGCONTROL* dc, float dt);

    // Draw is the posed model's own: its place and heading, then its groups.
    void Cleanup() {}

    // The clip has played to its end (the pose holds its last frame).
    bool ClipEnded() const { return animTime >= endTime; }

  private:
    void Walk(double dt, DOGCONTROL* dc);
    void Play(double dt, DOGCONTROL* dc);
    void EndIdleClip();
    void PickTarget(const DOGCONTROL* dc);
    void HitToy();
    void TrackFeet(DOGCONTROL* dc);
};
