// A walking cat's contacts: kicking the toy it touches, the chance to start playing with a toy
// nearby, and keeping clear of the other cats.
#include <cstdlib>

#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "toys/one_toy.h"

namespace {

bool SomeCatHolds(const DOGCONTROL* dc, const ONETOY* toy) {
    for (int i = 0; i < dc->numDogs; ++i) {
        if (dc->dogs[i].toy == toy) return true;
    }
    return false;
}

}  // namespace

bool ONEDOG::CheckCollisions(DOGCONTROL* dc, float dt) {
    const float s = dc->dogSize;
    ONETOY* theToy = dc->Toy();
    // Without a toy (it could not be created) there is nothing to kick or play with.
    if (theToy) {
        const float d = static_cast<float>(DistanceBetweenVectors(position, theToy->position));
        if (2.5f * s > d) {
            const int a = std::rand(), b = std::rand(), c = std::rand();
            VECTOR3D& v = theToy->velocity;
            v.x = static_cast<float>(c % 4) - 2.0f + (theToy->position.x - position.x) * 5.0f;
            v.y = static_cast<float>(b % 4) + 5.0f + (theToy->position.y - position.y) * 5.0f;
            v.z = static_cast<float>(a % 4) - 2.0f + (theToy->position.z - position.z) * 5.0f;
            const int d1 = std::rand(), d2 = std::rand(), d3 = std::rand();
            theToy->spin =
                VECTOR3D{static_cast<float>(d3 % 720 - 360), static_cast<float>(d2 % 720 - 360),
                         static_cast<float>(d1 % 720 - 360)};
            ++dc->stats.toyKicks;
        } else if (5.0f * s > d) {
            if (std::rand() % 10 == 0 && !SomeCatHolds(dc, theToy)) {
                toy = theToy;
                SetAction(kPlay);
            }
        }
    }
    if (action != kWalk) return false;

    lookTarget = target;
    for (int i = 0; i < dc->numDogs; ++i) {
        const ONEDOG& other = dc->dogs[i];
        if (&other == this || other.action == kPlaced) continue;
        const VECTOR3D ahead{position.x + heading.x, position.y + heading.y,
                             position.z + heading.z};
        const float e = static_cast<float>(DistanceBetweenVectors(ahead, other.position));
        if (9.0f * s * s > e) {
            VECTOR3D n{other.position.x - position.x, other.position.y - position.y,
                       other.position.z - position.z};
            n.Normalize();
            const float push = dt * 0.75f * speed;
            position.x -= n.x * push;
            position.y -= n.y * push;
            position.z -= n.z * push;
            turnRate = 0.5f;
        } else if (25.0f * s * s > e) {
            target.x = position.x - (other.position.x - position.x) * 10.0f;
            target.y = position.y - (other.position.y - position.y) * 10.0f;
            target.z = position.z - (other.position.z - position.z) * 10.0f;
            turnRate = 0.5f;
            targetTimer = 0.25f;
        }
    }
    return true;
}
