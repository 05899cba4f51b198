// A MilkShape 3D model as read from a pack lump: the file's arrays exactly as stored, plus, after
// InitialSetup, its bind-pose skeleton. An MS3D lives only while a model is being set up: the
// animated instances and the toy's display list are built from it, then it is destroyed.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "model/skeleton.h"

// Bytes of the fixed parts of the file records (the layout is packed and little-endian).
constexpr uint32_t kMS3DHeaderSize = 14;
constexpr uint32_t kMS3DVertexSize = 15;
constexpr uint32_t kMS3DTriangleSize = 70;
constexpr uint32_t kMS3DGroupFixedSize = 36;  // plus 2 per triangle index
constexpr uint32_t kMS3DMaterialSize = 361;
constexpr uint32_t kMS3DJointFixedSize = 93;  // plus 16 per key
constexpr uint32_t kMS3DKeySize = 16;
constexpr int kMS3DNameSize = 32;
// Frame rates a model may have: clip times are frame numbers divided by the rate.
constexpr float kMS3DMinFps = 1.0f;
constexpr float kMS3DMaxFps = 1000.0f;
constexpr int kMS3DTextureNameSize = 128;

struct MS3DVERTEX {
    uint8_t flags = 0;
    uint8_t refCount = 0;
    int8_t jointIndex = -1;  // -1: attached to no joint
    float position[3] = {0.0f, 0.0f, 0.0f};
};

struct MS3DTRIANGLE {
    uint16_t flags = 0;
    uint16_t vertexIndices[3] = {0, 0, 0};
    float normals[3][3] = {};  // one normal per corner
    float s[3] = {0.0f, 0.0f, 0.0f};
    float t[3] = {0.0f, 0.0f, 0.0f};
    uint8_t smoothingGroup = 0;
    uint8_t groupIndex = 0;
};

struct MS3DGROUP {
    uint8_t flags = 0;
    char name[kMS3DNameSize] = {};
    uint16_t triangleCount = 0;
    std::vector<uint16_t> triangleIndices;  // triangleCount indices into the triangle array
    int8_t materialIndex = -1;
};

struct MS3DMATERIAL {
    char name[kMS3DNameSize] = {};
    float ambient[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float diffuse[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float emissive[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float shininess = 0.0f;
    float transparency = 0.0f;
    int8_t mode = 0;  // bit 7 set: sphere-mapped
    char textureName[kMS3DTextureNameSize] = {};
    char alphaMapName[kMS3DTextureNameSize] = {};
};

struct MS3DJOINT {
    uint8_t flags = 0;
    char name[kMS3DNameSize] = {};
    char parentName[kMS3DNameSize] = {};     // empty: a root joint
    float rotation[3] = {0.0f, 0.0f, 0.0f};  // Euler angles, radians in the file
    float position[3] = {0.0f, 0.0f, 0.0f};  // relative to the parent
    uint16_t rotationKeyCount = 0;
    uint16_t translationKeyCount = 0;
    std::vector<MS3DKEY> rotationKeys;
    std::vector<MS3DKEY> translationKeys;
};

// Every array holds exactly as many records as its count says; the writer refuses a record whose
// arrays and counts disagree.
class MS3D {
  public:
    uint16_t vertexCount = 0;
    std::vector<MS3DVERTEX> vertices;
    uint16_t triangleCount = 0;
    std::vector<MS3DTRIANGLE> triangles;
    uint16_t groupCount = 0;
    std::vector<MS3DGROUP> groups;
    uint16_t materialCount = 0;
    std::vector<MS3DMATERIAL> materials;
    uint16_t jointCount = 0;
    std::vector<MS3DJOINT> joints;
    std::vector<SKELETON_JOINT> skeleton;  // empty until InitialSetup
    int32_t totalFrames = 0;
    float fps = 0.0f;
    float totalTime = 0.0f;  // milliseconds: totalFrames * 1000 / fps

    // Reads one model from `in`, positioned at the first byte of a lump of `lumpSize` bytes. Never
    // reads past the lump. A bad header, a model that does not fit its lump, a name without its
    // terminator, a reference out of range (a group may have no material, -1), a frame rate
    // outside kMS3DMinFps..kMS3DMaxFps, a bind pose or key that is not a finite number, or a
    // joint whose parent comes after it is refused: "Not a valid MS3D file!" goes to ERRORCLOSE,
    // the record is left empty and the result is false. On success the stream is left just after
    // the last key of the last joint.
    bool LoadFromFStream(std::istream& in, uint32_t lumpSize);
    // The same without a message: on a refusal `reason` says in words what is wrong, for a
    // caller that names the file.
    bool LoadFromFStream(std::istream& in, uint32_t lumpSize, std::string& reason);

    // Multiplies every length (vertex and joint positions, translation keys) by `factor`.
    void Scale(float factor);

    // Builds the bind-pose skeleton and moves vertices and corner normals into joint-local space
    // (model/skeleton.cpp). Does nothing on a model without joints.
    void InitialSetup();
    void SetupSkeleton();
    void UpdateSkeleton();
    void RevertPoints();

    // Sends every group as immediate-mode triangles (for recording into a display list). Binds
    // no texture: what the caller has bound applies to every group with a material; a group
    // without one (-1) is drawn with texturing off.
    void Render() const;

    // Index of the joint that joint `joint`'s parentName names: the first joint of that name;
    // -1 for an empty parent name, a name that no joint has, or a first match that is the joint
    // itself (it is a root).
    int ParentOf(int joint) const;

    // Back to the empty record of a new model.
    void Clear();
};
