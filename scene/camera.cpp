#include "scene/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "cats/dog_control.h"
#include "cats/one_dog.h"

namespace {

VECTOR3D Add(VECTOR3D a, VECTOR3D b) {
    return VECTOR3D{a.x + b.x, a.y + b.y, a.z + b.z};
}
VECTOR3D Scale(VECTOR3D a, float s) {
    return VECTOR3D{a.x * s, a.y * s, a.z * s};
}

// value += (target - value) * k, per component.
void Approach(VECTOR3D& value, VECTOR3D target, float k) {
    value.x += (target.x - value.x) * k;
    value.y += (target.y - value.y) * k;
    value.z += (target.z - value.z) * k;
}

// A spin rate in -20..19 degrees per second.
float SpinRate(int r) {
    return static_cast<float>(r % 40 - 20);
}

}  // namespace

void CAMERA::Move(DOGCONTROL* dc, double dt) {
    std::vector<VECTOR3D> positions;
    float dogSize = 1.0f;
    if (dc) {
        dogSize = dc->dogSize;
        if (dc->dogs) {
            for (int i = 0; i < dc->numDogs; ++i) positions.push_back(dc->dogs[i].position);
        }
    }
    Advance(dt, dogSize, positions.data(), static_cast<int>(positions.size()));
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
}

void CAMERA::StartShot(float dogSize, int count) {
    switch (mode) {
        case kOverview:
            eyeTarget = VECTOR3D{0.0f, 40.0f, 0.0f};
            centreTarget = VECTOR3D{0.0f, 0.0f, 0.0f};
            upTarget = VECTOR3D{0.0f, 0.0f, -1.0f};
            snapTimer = 5.0f;
            break;
        case kOrbit: {
            const int tilt = std::rand() % 60 + 20;
            Rotate(&eyeTarget, static_cast<float>(tilt), 0.0f, 0.0f);
            spin = VECTOR3D{0.0f, static_cast<float>(std::rand() % 40 - 20), 0.0f};
            break;
        }
        case kTumble: {
            const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
            spin = VECTOR3D{SpinRate(r3), SpinRate(r2), SpinRate(r1)};
            break;
        }
        case kFollow: {
            offset = VECTOR3D{0.0f, 0.0f, std::max(10.0f, 10.0f * dogSize)};
            const int r1 = std::rand(), r2 = std::rand(), r3 = std::rand();
            Rotate(&offset, static_cast<float>(r3 % 360), static_cast<float>(r2 % 360),
                   static_cast<float>(r1 % 360));
            const int r4 = std::rand(), r5 = std::rand(), r6 = std::rand();
            spin = VECTOR3D{SpinRate(r6), SpinRate(r5), SpinRate(r4)};
            followIndex = std::rand() % count;
            blendTarget = 10.0f;
            break;
        }
    }
}

void CAMERA::Advance(double dt, float dogSize, const VECTOR3D* positions, int count) {
    const float dtf = static_cast<float>(dt);

    modeTimer = static_cast<float>(modeTimer - dt);
    if (modeTimer < 0.0f) {
        modeTimer = 20.0f;
        if (mode != kOverview) {
            mode = kOverview;
        } else {
            mode = std::rand() % 4;
            modeTimer = static_cast<float>(20 + std::rand() % 20);
            // Without a cat there is nobody to follow: take the overview instead.
            if (mode == kFollow && count <= 0) mode = kOverview;
        }
        blend = 0.0f;
        blendTarget = 2.0f;
        StartShot(dogSize, count);
        ++shotsEntered;
    }

    switch (mode) {
        case kOverview:
            snapTimer = static_cast<float>(snapTimer - dt);
            if (snapTimer < 0.0f) {
                eye = eyeTarget;
                up = upTarget;
            }
            break;
        case kOrbit:
        case kTumble:
            stepRotation = MatrixFromAngle(Scale(spin, dtf));
            eyeTarget = MatrixRotatePoint(stepRotation, eyeTarget);
            upTarget = VECTOR3D{0.0f, 1.0f, 0.0f};
            break;
        case kFollow: {
            stepRotation = MatrixFromAngle(Scale(spin, dtf));
            offset = MatrixRotatePoint(stepRotation, offset);
            upTarget = VECTOR3D{0.0f, 1.0f, 0.0f};
            // The cats can only shrink between shots if the population is rebuilt; never read
            // past the array.
            const VECTOR3D p =
                (followIndex >= 0 && followIndex < count) ? positions[followIndex] : VECTOR3D{};
            eyeTarget = Add(Add(p, offset), VECTOR3D{0.0f, 2.0f, 0.0f});
            centreTarget = Add(p, VECTOR3D{0.0f, 1.0f, 0.0f});
            break;
        }
    }

    blend = static_cast<float>(blend + (blendTarget - blend) * dt);
    const float k = dtf * blend;
    // The eye never aims below the ground: a target under it is mirrored above it.
    const VECTOR3D aim{eyeTarget.x, std::fabs(eyeTarget.y), eyeTarget.z};
    Approach(eye, aim, k);
    Approach(centre, centreTarget, k);
    Approach(up, upTarget, k);
}
