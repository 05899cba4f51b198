// A small mass-spring engine: the string that hangs from the toy. A chain of point masses joined
// by damped springs, pulled by gravity, slowed by the air and held above a ground plane by a
// penalty force; the first mass is pinned to an anchor that the toy moves.
#pragma once

#include "math/vector3d.h"

struct MASS {
    float mass;
    VECTOR3D position;
    VECTOR3D velocity;
    VECTOR3D force;  // accumulated during the current step

    explicit MASS(float m) : mass(m) {}
    void applyForce(VECTOR3D f);
    void init() { force = VECTOR3D{}; }
    // Semi-implicit Euler: the position moves with the velocity just updated.
    void simulate(float dt);
};

struct SPRING {
    MASS* first;
    MASS* second;
    float stiffness;
    float restLength;
    float damping;

    SPRING(MASS* a, MASS* b, float k, float length, float friction)
        : first(a), second(b), stiffness(k), restLength(length), damping(friction) {}
    void solve();
};

// A set of masses stepped together. release() frees what the object owns and may be called
// before deleting it; the destructors call it too, so forgetting it leaks nothing.
class Simulation {
  public:
    int massCount;
    MASS** masses;

    Simulation(int count, float mass);
    virtual ~Simulation() { Simulation::release(); }
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    virtual void release();
    virtual void init();
    virtual void solve() {}
    virtual void simulate(float dt);
    // One full step through the virtual table: init, solve, simulate.
    virtual void operate(float dt);

    // Mass i, or nullptr for an index outside the set.
    MASS* getMass(int index) const;
};

class RopeSimulation : public Simulation {
  public:
    SPRING** springs;  // massCount - 1 of them
    VECTOR3D gravity;
    VECTOR3D anchorPos;
    VECTOR3D anchorVel;
    float groundRepulsion;
    float groundFriction;
    float groundAbsorption;
    float groundHeight;
    float airFriction;

    // Mass i starts at (0, 0, i * restLength); spring i joins mass i and mass i + 1.
    RopeSimulation(int count, float mass, float stiffness, float restLength, float damping,
                   VECTOR3D gravity, float airFriction, float groundRepulsion, float groundFriction,
                   float groundAbsorption, float groundHeight);

    ~RopeSimulation() override { RopeSimulation::release(); }
    RopeSimulation(const RopeSimulation&) = delete;
    RopeSimulation& operator=(const RopeSimulation&) = delete;

    void release() override;
    void solve() override;
    // Advances the masses and the anchor, then pins mass 0 to the anchor.
    void simulate(float dt) override;
};
