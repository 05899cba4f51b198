// Small models built in memory for the model tests, and helpers to pass them through the writer
// and the loader.
#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/ms3d_writer.h"
#include "model/one_model.h"

namespace model_fixtures {

inline void SetName(char* field, const char* name) {
    std::memset(field, 0, kMS3DNameSize);
    std::strncpy(field, name, kMS3DNameSize - 1);
}

inline MS3DVERTEX Vertex(float x, float y, float z, int8_t joint) {
    MS3DVERTEX v;
    v.position[0] = x, v.position[1] = y, v.position[2] = z;
    v.jointIndex = joint;
    return v;
}

inline MS3DKEY Key(float time, float x, float y, float z) {
    MS3DKEY k;
    k.time = time, k.x = x, k.y = y, k.z = z;
    return k;
}

inline MS3DJOINT Joint(const char* name, const char* parent, VECTOR3D radians, VECTOR3D position) {
    MS3DJOINT j;
    SetName(j.name, name);
    SetName(j.parentName, parent);
    j.rotation[0] = radians.x, j.rotation[1] = radians.y, j.rotation[2] = radians.z;
    j.position[0] = position.x, j.position[1] = position.y, j.position[2] = position.z;
    return j;
}

inline MS3DMATERIAL Material(const char* name, int8_t mode) {
    MS3DMATERIAL m;
    SetName(m.name, name);
    m.mode = mode;
    std::strcpy(m.textureName, "coat.tga");
    return m;
}

// A triangle over three vertices with one normal for all corners and s, t per corner.
inline MS3DTRIANGLE Triangle(uint16_t a, uint16_t b, uint16_t c, VECTOR3D normal) {
    const float s[3] = {0.0f, 1.0f, 0.5f}, t[3] = {0.25f, 0.5f, 1.0f};
    MS3DTRIANGLE tri;
    tri.vertexIndices[0] = a, tri.vertexIndices[1] = b, tri.vertexIndices[2] = c;
    for (int k = 0; k < 3; ++k) {
        tri.normals[k][0] = normal.x, tri.normals[k][1] = normal.y, tri.normals[k][2] = normal.z;
        tri.s[k] = s[k], tri.t[k] = t[k];
    }
    return tri;
}

// Two groups, two materials, three chained joints with keys.
inline MS3D SampleModel() {
    MS3D m;
    m.vertices = {Vertex(0, 0, 0, 0), Vertex(1, 0, 0, 1), Vertex(0, 1, 0, 2), Vertex(0, 0, 1, -1),
                  Vertex(1, 1, 1, 2)};
    m.triangles = {Triangle(0, 1, 2, MakePoint(0, 0, 1)), Triangle(1, 2, 3, MakePoint(1, 0, 0)),
                   Triangle(2, 3, 4, MakePoint(0, 1, 0))};
    m.groups.resize(2);
    SetName(m.groups[0].name, "body");
    m.groups[0].triangleIndices = {0, 1};
    m.groups[0].materialIndex = 0;
    SetName(m.groups[1].name, "tail");
    m.groups[1].triangleIndices = {2};
    m.groups[1].materialIndex = 1;
    m.materials = {Material("fur", 0), Material("eyes", int8_t(-128))};
    m.fps = 30.0f;
    m.totalFrames = 120;
    m.joints = {Joint("root", "", MakePoint(0, 0, 0), MakePoint(0, 0.5f, 0)),
                Joint("spine", "root", MakePoint(0.1f, 0.2f, 0.3f), MakePoint(0, 1, 0)),
                Joint("tail", "spine", MakePoint(0, 0, 1.5707964f), MakePoint(0.5f, 0, -1))};
    m.joints[1].rotationKeys = {Key(0.0f, 0, 0, 0), Key(1.0f, 0.5f, 0, 0), Key(2.0f, 0, 0.5f, 0)};
    m.joints[1].translationKeys = {Key(0.0f, 0, 0, 0), Key(2.0f, 0.25f, 0.5f, -0.5f)};
    m.joints[2].rotationKeys = {Key(0.5f, 0, 0, 0.3f)};
    SyncMS3DCounts(&m);
    return m;
}

inline std::vector<uint8_t> Bytes(const MS3D& m, int32_t version = 4) {
    std::vector<uint8_t> out;
    if (!WriteMS3D(m, &out, version)) out.clear();
    return out;
}

// Loads from a stream holding `bytes` followed by `trailing`, with a lump of `lumpSize` bytes.
// *position receives the stream position afterwards.
inline bool LoadBytes(const std::vector<uint8_t>& bytes, uint32_t lumpSize, MS3D* m,
                      long* position = nullptr, const std::string& trailing = std::string()) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()) + trailing);
    const bool ok = m->LoadFromFStream(in, lumpSize);
    in.clear();
    if (position) *position = long(in.tellg());
    return ok;
}

// Template and instance from a model, the way the cat population makes them.
struct Built {
    MS3D model;
    ANIMATIONTEMPLATE animTemplate;
    ONEMODEL instance;
    bool ok = false;
    explicit Built(MS3D m, unsigned long texture = 0) : model(std::move(m)) {
        model.InitialSetup();
        ok = animTemplate.Setup(&model) && instance.Setup(&animTemplate, &model, &texture);
        EXPECT_TRUE(ok) << "the model does not set up";
    }
    // One frame of skinning, in the fixed order.
    void Frame(double dt) {
        instance.RevertPoints(instance.joints.get());
        instance.Animate(dt);
        Pose();
    }
    // Moves the buffer to the joints' current pose.
    void Pose() {
        instance.UpdateSkeleton();
        instance.UpdatePoints(instance.joints.get());
    }
};

}  // namespace model_fixtures
