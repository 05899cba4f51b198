#include "soak_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "toys/one_toy.h"
#include "toys/rope_simulation.h"

namespace {

bool Finite(const VECTOR3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::string Describe(const char* what, int index, const VECTOR3D& v) {
    char line[160];
    std::snprintf(line, sizeof(line), "%s %d at (%g, %g, %g)", what, index, double(v.x),
                  double(v.y), double(v.z));
    return line;
}

void CheckCat(const ONEDOG& cat, int i, const DOGCONTROL& dc, float bodyLength,
              const SoakLimits& limits, std::vector<std::string>& problems) {
    if (!Finite(cat.position) || !Finite(cat.angles) || !Finite(cat.heading) ||
        !Finite(cat.target) || !std::isfinite(cat.speed) || !std::isfinite(cat.turnRate) ||
        !std::isfinite(cat.animTime)) {
        problems.push_back(Describe("not a finite state: cat", i, cat.position));
        return;
    }
    for (int m = 0; m < 16; ++m) {
        if (!std::isfinite(cat.rotation.m[m])) {
            problems.push_back(Describe("not a finite rotation: cat", i, cat.angles));
            return;
        }
    }
    if (cat.action < 0) return;  // not placed yet: its position means nothing
    const float margin = limits.catMarginBodies * bodyLength;
    if (std::fabs(cat.position.x) > dc.bounds.x + margin ||
        std::fabs(cat.position.z) > dc.bounds.z + margin || std::fabs(cat.position.y) > margin) {
        char line[200];
        std::snprintf(line, sizeof(line),
                      "far from the ground: cat %d at (%g, %g, %g), action %d, clip %d, target "
                      "(%g, %g), heading (%g, %g)",
                      i, double(cat.position.x), double(cat.position.y), double(cat.position.z),
                      cat.action, cat.clip, double(cat.target.x), double(cat.target.z),
                      double(cat.heading.x), double(cat.heading.z));
        problems.push_back(line);
    }
    if (cat.animTime < cat.startTime - 1e-3f || cat.animTime > cat.endTime + 1e-3f) {
        problems.push_back(Describe("clip time outside its clip: cat", i, cat.position));
    }
}

void CheckToy(const ONETOY& toy, const DOGCONTROL& dc, const SoakLimits& limits,
              std::vector<std::string>& problems) {
    if (!Finite(toy.position) || !Finite(toy.velocity) || !Finite(toy.angles) ||
        !Finite(toy.spin)) {
        problems.push_back(Describe("not a finite state: toy", 0, toy.position));
        return;
    }
    if (ToyExcursion(dc) > limits.toyMarginGround) {
        problems.push_back(Describe("far from the ground: toy", 0, toy.position));
    }
    // Below the ground means the bounce failed.
    if (toy.position.y < -1e-3f)
        problems.push_back(Describe("under the ground: toy", 0, toy.position));
    if (!toy.rope) return;
    for (int m = 0; m < toy.rope->massCount; ++m) {
        const MASS* mass = toy.rope->getMass(m);
        if (!mass || !Finite(mass->position) || !Finite(mass->velocity)) {
            problems.push_back(Describe("not a finite rope mass", m, toy.position));
            return;
        }
    }
}

void CheckFootprints(const DOGCONTROL& dc, std::vector<std::string>& problems) {
    if (dc.nextFootprint < 0 || dc.nextFootprint >= std::max(dc.numFootprints, 1) ||
        dc.nextFade < 0 || dc.nextFade >= std::max(dc.numFootprints, 1)) {
        char line[128];
        std::snprintf(line, sizeof(line), "footprint cursors out of range: next %d, fade %d of %d",
                      dc.nextFootprint, dc.nextFade, dc.numFootprints);
        problems.push_back(line);
    }
}

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0) return std::atol(line.c_str() + length);
    }
    return 0;
}

}  // namespace

void CheckFrame(const DOGCONTROL& dc, float bodyLength, const SoakLimits& limits,
                std::vector<std::string>& problems) {
    for (int i = 0; dc.dogs && i < dc.numDogs; ++i) {
        CheckCat(dc.dogs[i], i, dc, bodyLength, limits, problems);
    }
    if (dc.toys) CheckToy(dc.toys[0], dc, limits, problems);
    CheckFootprints(dc, problems);
    if (!Finite(dc.camera.eye) || !Finite(dc.camera.centre) || !Finite(dc.camera.up)) {
        problems.push_back(Describe("not a finite camera", 0, dc.camera.eye));
    }
}

float CheckMeshes(DOGCONTROL& dc, const SoakLimits& limits, std::vector<std::string>& problems) {
    float worst = 0.0f;
    for (int i = 0; dc.dogs && i < dc.numDogs; ++i) {
        ONEDOG& cat = dc.dogs[i];
        for (int v = 0; v < cat.vertexCount; ++v) {
            const MODELVERTEX& mv = cat.vertices[v];
            for (int k = 0; k < 3; ++k) {
                if (!std::isfinite(mv.position[k]) || !std::isfinite(mv.normal[k])) {
                    problems.push_back(Describe("not a finite vertex of cat", i, cat.position));
                    return std::numeric_limits<float>::infinity();
                }
            }
        }
        // The same joints applied to the template's untouched joint-local mesh.
        ONEDOG fresh;
        if (!fresh.CopyFrom(dc.dogTemplate) || fresh.vertexCount != cat.vertexCount) {
            problems.push_back("cannot make a fresh copy of the template cat");
            return std::numeric_limits<float>::infinity();
        }
        fresh.UpdatePoints(cat.joints.get());
        float drift = 0.0f;
        for (int v = 0; v < cat.vertexCount; ++v) {
            for (int k = 0; k < 3; ++k) {
                drift = std::max(
                    drift, std::fabs(fresh.vertices[v].position[k] - cat.vertices[v].position[k]));
            }
        }
        if (drift > limits.meshTolerance) {
            char line[128];
            std::snprintf(line, sizeof(line), "cat %d's mesh drifted %g model units from its pose",
                          i, double(drift));
            problems.push_back(line);
        }
        worst = std::max(worst, drift);
    }
    return worst;
}

float BodyLength(const ONEMODEL& cat) {
    const ONEMODEL* model = &cat;
    if (model->vertexCount == 0) return 0.0f;
    float low[3], high[3];
    for (int k = 0; k < 3; ++k) low[k] = high[k] = model->vertices[0].position[k];
    for (int v = 1; v < model->vertexCount; ++v) {
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], model->vertices[v].position[k]);
            high[k] = std::max(high[k], model->vertices[v].position[k]);
        }
    }
    return std::max(high[0] - low[0], high[2] - low[2]);
}

float ToyExcursion(const DOGCONTROL& dc) {
    if (!dc.toys || dc.bounds.x <= 0.0f || dc.bounds.z <= 0.0f) return 0.0f;
    const VECTOR3D& p = dc.toys[0].position;
    const float beyondX = (std::fabs(p.x) - dc.bounds.x) / (2.0f * dc.bounds.x);
    const float beyondZ = (std::fabs(p.z) - dc.bounds.z) / (2.0f * dc.bounds.z);
    return std::max({0.0f, beyondX, beyondZ});
}

float CatExcursion(const DOGCONTROL& dc, float bodyLength) {
    float farthest = 0.0f;
    for (int i = 0; dc.dogs && bodyLength > 0.0f && i < dc.numDogs; ++i) {
        const ONEDOG& cat = dc.dogs[i];
        if (cat.action < 0) continue;
        const float beyondX = (std::fabs(cat.position.x) - dc.bounds.x) / bodyLength;
        const float beyondZ = (std::fabs(cat.position.z) - dc.bounds.z) / bodyLength;
        farthest = std::max({farthest, beyondX, beyondZ});
    }
    return farthest;
}

long ResidentKilobytes() {
    return StatusKilobytes("VmRSS:");
}

long PeakResidentKilobytes() {
    return StatusKilobytes("VmHWM:");
}
