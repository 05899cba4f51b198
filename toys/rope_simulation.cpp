#include "toys/rope_simulation.h"

#include <algorithm>
#include <cmath>

namespace {

VECTOR3D Add(VECTOR3D a, VECTOR3D b) {
    return VECTOR3D{a.x + b.x, a.y + b.y, a.z + b.z};
}
VECTOR3D Sub(VECTOR3D a, VECTOR3D b) {
    return VECTOR3D{a.x - b.x, a.y - b.y, a.z - b.z};
}
VECTOR3D Scale(VECTOR3D a, float s) {
    return VECTOR3D{a.x * s, a.y * s, a.z * s};
}

}  // namespace

void MASS::applyForce(VECTOR3D f) {
    force = Add(force, f);
}

void MASS::simulate(float dt) {
    velocity = Add(velocity, Scale(force / mass, dt));
    position = Add(position, Scale(velocity, dt));
}

void SPRING::solve() {
    const VECTOR3D v = Sub(first->position, second->position);
    const float r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    VECTOR3D f{};
    // Two masses at one point exert no stretching force: there is no direction to push along.
    if (r != 0.0f) f = Scale(v / r, (r - restLength) * -stiffness);
    f = Add(f, Scale(Sub(first->velocity, second->velocity), -damping));
    first->applyForce(f);
    second->applyForce(Scale(f, -1.0f));
}

Simulation::Simulation(int count, float mass) : massCount(std::max(count, 0)) {
    masses = new MASS*[massCount];
    for (int i = 0; i < massCount; ++i) masses[i] = new MASS(mass);
}

void Simulation::release() {
    if (masses) {
        for (int i = 0; i < massCount; ++i) delete masses[i];
        delete[] masses;
    }
    masses = nullptr;
    massCount = 0;
}

void Simulation::init() {
    for (int i = 0; i < massCount; ++i) masses[i]->init();
}

void Simulation::simulate(float dt) {
    for (int i = 0; i < massCount; ++i) masses[i]->simulate(dt);
}

void Simulation::operate(float dt) {
    init();
    solve();
    simulate(dt);
}

MASS* Simulation::getMass(int index) const {
    if (!masses || index < 0 || index >= massCount) return nullptr;
    return masses[index];
}

RopeSimulation::RopeSimulation(int count, float mass, float stiffness, float restLength,
                               float damping, VECTOR3D g, float air, float repulsion,
                               float friction, float absorption, float height)
    : Simulation(count, mass),
      springs(nullptr),
      gravity(g),
      groundRepulsion(repulsion),
      groundFriction(friction),
      groundAbsorption(absorption),
      groundHeight(height),
      airFriction(air) {
    for (int i = 0; i < massCount; ++i) {
        masses[i]->position = VECTOR3D{0.0f, 0.0f, static_cast<float>(i) * restLength};
    }
    const int springCount = std::max(massCount - 1, 0);
    springs = new SPRING*[springCount];
    for (int i = 0; i < springCount; ++i) {
        springs[i] = new SPRING(masses[i], masses[i + 1], stiffness, restLength, damping);
    }
}

void RopeSimulation::release() {
    const int springCount = std::max(massCount - 1, 0);
    Simulation::release();
    if (springs) {
        for (int i = 0; i < springCount; ++i) delete springs[i];
        delete[] springs;
    }
    springs = nullptr;
}

void RopeSimulation::solve() {
    for (int i = 0; i + 1 < massCount; ++i) springs[i]->solve();
    for (int i = 0; i < massCount; ++i) {
        MASS& m = *masses[i];
        m.applyForce(Scale(gravity, m.mass));
        m.applyForce(Scale(m.velocity, -airFriction));
        if (m.position.y < groundHeight) {
            m.applyForce(Scale(VECTOR3D{m.velocity.x, 0.0f, m.velocity.z}, -groundFriction));
            // Only downward motion is absorbed, so the ground never sucks a rising mass back.
            if (m.velocity.y < 0.0f) {
                m.applyForce(Scale(VECTOR3D{0.0f, -m.velocity.y, 0.0f}, groundAbsorption));
            }
            m.applyForce(Scale(VECTOR3D{0.0f, groundRepulsion, 0.0f}, groundHeight - m.position.y));
        }
    }
}

void RopeSimulation::simulate(float dt) {
    Simulation::simulate(dt);
    anchorPos = Add(anchorPos, Scale(anchorVel, dt));
    if (anchorPos.y < groundHeight) {
        anchorPos.y = groundHeight;
        anchorVel.y = 0.0f;
    }
    if (massCount > 0) {
        masses[0]->position = anchorPos;
        masses[0]->velocity = anchorVel;
    }
}
