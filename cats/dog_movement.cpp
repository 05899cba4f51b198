// One placed cat's frame: animation, smoothing of speed and turning rate, the rule of its action,
// and foot tracking.
#include <cmath>
#include <cstdlib>

#include "cats/dog_anims.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "toys/one_toy.h"

namespace {

// Frames of the cat model converted to its clock, in milliseconds at 30 frames per second.
constexpr float kMsPerFrame = 33.333332f;

const HITWINDOW* HitWindowOf(int clip) {
    for (const HITWINDOW& w : hitWindows) {
        if (w.clip == clip) return &w;
    }
    return nullptr;
}

}  // namespace

void ONEDOG::Move(double dt, DOGCONTROL* dc) {
    RevertPoints(joints.get());
    Animate(dt);
    UpdateSkeleton();
    UpdatePoints(joints.get());

    const float speedGap = targetSpeed * dc->dogSize - speed;
    speed = static_cast<float>(speed + speedGap * dt);
    const float turnGap = targetTurnRate - turnRate;
    turnRate = static_cast<float>(turnRate + turnGap * dt);

    switch (action) {
        case kPlaced:
            SetAction(kWalk);
            break;
        case kWalk:
            Walk(dt, dc);
            break;
        case kIdle:
            if (ClipEnded()) EndIdleClip();
            break;
        case kFinish:
            if (ClipEnded()) SetAction(kWalk);
            break;
        case kPlay:
            Play(dt, dc);
            break;
        default:
            break;
    }
    TrackFeet(dc);
}

void ONEDOG::EndIdleClip() {
    const DOGANIM& c = dogAnims[clip];
    if (c.repeat == 1 && std::rand() % 5 != 0) {
        SetAnim(clip, false);
    } else if (c.next >= 0) {
        SetAnim(c.next, dogAnims[c.next].blend != 0);
    } else {
        SetAction(kWalk);
    }
}

void ONEDOG::PickTarget(const DOGCONTROL* dc) {
    const int r1 = std::rand();
    const int r2 = std::rand();
    const double bx = dc->bounds.x;
    const double bz = dc->bounds.z;
    // A ground narrower than a tenth of a unit still needs a non-zero modulus.
    const int nx = static_cast<int>(2.0 * bx * 10.0);
    const int nz = static_cast<int>(2.0 * bz * 10.0);
    target.x = static_cast<float>(((nx > 0 ? r2 % nx : 0) / 10.0 - bx) * 0.9);
    target.y = 0.0f;
    target.z = static_cast<float>(((nz > 0 ? r1 % nz : 0) / 10.0 - bz) * 0.9);
    targetTimer = 10.0f;
    if (std::rand() % 6 == 0) SetAction(kIdle);
}

void ONEDOG::Walk(double dt, DOGCONTROL* dc) {
    CheckCollisions(dc, static_cast<float>(dt));
    TurnToTarget(turnRate, dt);
    const float step = speed * static_cast<float>(dt);
    position.x += heading.x * step;
    position.y += heading.y * step;
    position.z += heading.z * step;
    targetTimer = static_cast<float>(targetTimer - dt);
    if (DistanceBetweenVectors(position, target) < 25.0 || targetTimer < 0.0f) PickTarget(dc);
    if (ClipEnded()) SetAnim(clip, false);
}

void ONEDOG::Play(double dt, DOGCONTROL* dc) {
    const HITWINDOW* window = HitWindowOf(clip);
    if (!toy) return;
    const VECTOR3D g{toy->position.x, 0.0f, toy->position.z};
    target.x = position.x + 10.0f * (g.x - position.x);
    target.y = position.y + 10.0f * (g.y - position.y);
    target.z = position.z + 10.0f * (g.z - position.z);
    lookTarget = target;
    TurnToTarget(turnRate, dt);
    if (DistanceBetweenVectors(toy->position, position) >= 7.0 * dc->dogSize) {
        SetAction(kFinish);
        return;
    }
    if (window && animTime > window->firstFrame * kMsPerFrame &&
        animTime < window->lastFrame * kMsPerFrame) {
        HitToy();
        ++dc->stats.toyHits;
        SetAction(kFinish);
    }
}

void ONEDOG::HitToy() {
    const int a = std::rand(), b = std::rand(), c = std::rand();
    toy->velocity.x = static_cast<float>(c % 4) - 2.0f + (toy->position.x - position.x) * 4.0f;
    toy->velocity.y = static_cast<float>(b % 4) + 5.0f + (toy->position.y - position.y) * 4.0f;
    toy->velocity.z = static_cast<float>(a % 4) - 2.0f + (toy->position.z - position.z) * 4.0f;
    const int d = std::rand(), e = std::rand(), f = std::rand();
    toy->spin = VECTOR3D{static_cast<float>(f % 720 - 360), static_cast<float>(e % 720 - 360),
                         static_cast<float>(d % 720 - 360)};
}

void ONEDOG::TurnToTarget(float rate, double dt) {
    const VECTOR3D a = AngleBetweenVectors(position, lookTarget);
    if (std::isnan(a.x) || std::isnan(a.y) || std::isnan(a.z)) {
        targetTimer = 0.0f;
        return;
    }
    float y = angles.y;
    if (std::fabs(y - a.y) > 180.0f) {
        if (y > a.y) {
            y -= 360.0f;
        } else if (a.y > y) {
            y += 360.0f;
        }
        angles.y = y;
    }
    angles.y = static_cast<float>(y + (a.y - y) * dt * rate);
    rotation = MatrixFromAngle(angles);
    heading = MatrixPointMultiply(rotation, VECTOR3D{0.0f, 0.0f, 1.0f});
}
