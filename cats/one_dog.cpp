#include "cats/one_dog.h"

#include <cstdlib>

#include "cats/dog_anims.h"
#include "cats/dog_control.h"
#include "toys/one_toy.h"

namespace {

// A place along one edge of the ground and just beyond the other axis' edge: `along` in
// -half..+half on a 0.1 grid, `across` 3 * size to 3 * size + 4 outside, on a random side.
void EdgePlace(double half, double otherHalf, double size, float* along, float* across) {
    const int n = static_cast<int>(20.0 * half + 1.0);
    *along = static_cast<float>((std::rand() % n) / 10.0 - half);
    double a = otherHalf + 3.0 * size + std::rand() % 5;
    if (std::rand() % 2 == 0) a = -a;
    *across = static_cast<float>(a);
}

}  // namespace

void ONEDOG::SetAnim(int c, bool blend) {
    // Clip numbers come from the constant tables; refuse anything else rather than read past.
    if (c < 0 || c >= kDogAnimCount) return;
    clip = c;
    SetAnimation(dogAnims[c].start, dogAnims[c].end, 1000.0, false, blend);
}

void ONEDOG::SetAction(int a) {
    action = a;
    switch (a) {
        case kWalk: {
            const WALKCLIP& w = walkClips[std::rand() % 8];
            targetSpeed = w.gait;
            SetAnim(w.clip, true);  // walk clips always blend
            targetTimer = 10.0f;
            target = position;
            if (toy) {
                // Chase the place the toy will be in two seconds.
                target.x = toy->position.x + 2.0f * toy->velocity.x;
                target.y = toy->position.y + 2.0f * toy->velocity.y;
                target.z = toy->position.z + 2.0f * toy->velocity.z;
                toy = nullptr;
            }
            break;
        }
        case kPlay:
            if (toy) {
                const int c = toyClips[std::rand() % kToyClipCount];
                SetAnim(c, dogAnims[c].blend != 0);
                break;
            }
            // Without a toy there is nothing to play with: idle instead.
            action = kIdle;
            [[fallthrough]];
        case kIdle: {
            targetSpeed = 0.0f;
            const int c = idleClips[std::rand() % kIdleClipCount];
            SetAnim(c, dogAnims[c].blend != 0);
            break;
        }
        default:
            break;
    }
}

void ONEDOG::Reset(DOGCONTROL* dc) {
    action = kPlaced;
    position = VECTOR3D{0.0f, 0.0f, 0.0f};
    const double bx = dc->bounds.x;
    const double bz = dc->bounds.z;
    const double s = dc->dogSize;
    if (std::rand() % 2 == 0) {
        EdgePlace(bx, bz, s, &position.x, &position.z);  // near or far edge
    } else {
        EdgePlace(bz, bx, s, &position.z, &position.x);  // left or right edge
    }
    blendRate = 2.0f;
    targetTurnRate = 0.75f;
    toy = nullptr;
    ++dc->stats.catsPlaced;
}

bool ONEDOG::CopyFrom(DOGTEMPLATE* t) {
    if (!t || !t->model) return false;
    footRow = t->model->footRow;
    return ONEMODEL::CopyFrom(*t->model);
}
