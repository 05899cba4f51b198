// One drawable, animatable copy of a model: its joints' current pose, an interleaved vertex buffer
// that OpenGL draws from directly (posed in place every frame), 16-bit indices with one draw record
// per group, and a material record per model material. The animation template is shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "assets/texture.h"
#include "math/matrix.h"
#include "math/quat.h"
#include "math/vector3d.h"

class ANIMATIONTEMPLATE;
class MS3D;

// The per-instance joint: its evaluated pose, key cursors, cross-fade source and matrices.
struct BASICJOINT {
    int32_t parent = -1;
    uint8_t flags = 0;
    VECTOR3D translation;
    MATRIX relative;
    MATRIX absolute;  // what poses the joint's vertices
    int32_t translationKey = 0;
    int32_t rotationKey = 0;
    int32_t lastRotationKey = -1;
    QUAT rotationQuat;
    MATRIX rotationMatrix;
    QUAT blendFromQuat;
    VECTOR3D blendFromTranslation;
};

// The draw record of one group: its slice of the index list and its material.
struct MODELGROUP {
    int8_t materialIndex = 0;
    uint16_t triangleCount = 0;
    uint32_t firstIndex = 0;
};

// One interleaved vertex as OpenGL reads it (stride 36).
struct MODELVERTEX {
    float position[3];
    float normal[3];
    float s;
    float t;
    uint8_t unused0[2];
    int8_t jointIndex;
    uint8_t unused1;
};
static_assert(sizeof(MODELVERTEX) == 36, "OpenGL reads the vertex buffer with a 36-byte stride");
static_assert(offsetof(MODELVERTEX, position) == 0, "positions at byte 0");
static_assert(offsetof(MODELVERTEX, normal) == 12, "normals at byte 12");
static_assert(offsetof(MODELVERTEX, s) == 24, "texture coordinates at byte 24");
static_assert(offsetof(MODELVERTEX, t) == 28, "t at byte 28");
static_assert(offsetof(MODELVERTEX, jointIndex) == 34, "joint index at byte 34");

// Returned by AddVertToBuffer when the buffer already holds the most vertices 16-bit indices allow.
constexpr uint16_t kNoVertex = 0xFFFF;

class ONEMODEL {
  public:
    ANIMATIONTEMPLATE* animTemplate = nullptr;  // shared, not owned
    uint16_t jointCount = 0;
    std::unique_ptr<BASICJOINT[]> joints;
    uint16_t materialCount = 0;
    std::unique_ptr<TEXINFO[]> materials;
    uint16_t groupCount = 0;
    std::unique_ptr<MODELGROUP[]> groups;
    uint16_t triangleCount = 0;
    std::unique_ptr<uint16_t[]> indices;  // 3 * triangleCount, group after group
    uint16_t vertexCount = 0;
    MODELVERTEX* vertices = nullptr;  // malloc/realloc/free; room for more than vertexCount

    // Playback state.
    float animTime = 0.0f;  // ms
    bool loop = false;
    float timeScale = 1000.0f;  // ms of clip time per second of frame time
    float startTime = 0.0f;
    float endTime = 0.0f;
    bool blending = false;
    float blendFactor = 0.0f;
    float blendRate = 4.0f;  // cross-fade progress per second

    // Placement in the world.
    VECTOR3D position;
    VECTOR3D heading;
    VECTOR3D angles;  // degrees
    MATRIX rotation;

    ONEMODEL() = default;
    virtual ~ONEMODEL();
    ONEMODEL(const ONEMODEL&) = delete;
    ONEMODEL& operator=(const ONEMODEL&) = delete;

    // Builds the instance from a template and the model it was made from (after InitialSetup).
    // Every material's texID becomes *texName. False when the template is incomplete or does not
    // belong to the model, an array cannot be obtained, or the model breaks the instance's limits
    // (a reference out of range, more than 65535 triangles or distinct vertices).
    bool Setup(ANIMATIONTEMPLATE* animTemplate, MS3D* model, unsigned long* texName);

    // The index of a buffer vertex equal to the arguments, appending one if there is none.
    // Positions, normals, s and t compare as floats (a NaN never matches). kNoVertex when a new
    // vertex is needed but the buffer is full.
    uint16_t AddVertToBuffer(const float* position, const float* normal, float s, float t,
                             char jointIndex);

    // Draws one group from the vertex arrays the caller has set up, with its material's texture
    // (untextured for a group without a material or texture); out of range does nothing.
    void DrawGroup(int group) const;
    // The whole instance at its place: vertex arrays, every group, arrays disabled again.
    void Draw() const;

    // Makes this (newly constructed) instance a copy of a set-up one: template shared, fresh
    // joints, playback and placement reset, materials naming the source's textures, byte copies
    // of groups, indices and vertices. False ("Unable to allocate memory!" through ERRORCLOSE
    // when an array cannot be obtained) leaves this instance empty.
    bool CopyFrom(const ONEMODEL& source);

    // Playback and skinning (model/playback.cpp).
    void SetAnimation(double startFrame, double endFrame, double timeScale, bool loop, bool blend);
    void Animate(double dt);
    void UpdateSkeleton();
    // Takes the buffer back to joint-local space. An instance made by Setup or CopyFrom keeps its
    // joint-local vertices and restores them exactly: undoing each pose with the inverse of its
    // matrices instead would let rounding, and the slight non-orthogonality of interpolated
    // rotations, creep into the buffer frame after frame. A buffer built by hand with
    // AddVertToBuffer is taken back with the inverse of `joints`' absolute matrices.
    void RevertPoints(BASICJOINT* joints);
    void UpdatePoints(BASICJOINT* joints);

    // Releases everything the instance owns (not the template) and returns to the new state.
    void Cleanup();

  private:
    struct VertexKey {
        uint32_t words[8];
        int8_t jointIndex;
        bool operator==(const VertexKey& o) const;
    };
    struct VertexKeyHash {
        size_t operator()(const VertexKey& k) const;
    };
    static bool MakeKey(const float* position, const float* normal, float s, float t,
                        char jointIndex, VertexKey* key);
    // Room for one more vertex in `vertices`; false when no memory is left.
    bool GrowBuffer();
    void IndexBuffer();
    void ForgetIndex();
    bool FillBuffer(const MS3D& model);
    void ResetPlayback();
    bool MakeJoints();

    // Finds equal vertices in constant time while the buffer is built. It covers the whole buffer
    // when indexedCount_ equals vertexCount; it is dropped after set-up and whenever the buffer
    // is changed in place, and rebuilt from the buffer when next needed.
    static constexpr uint32_t kIndexStale = 0xFFFFFFFFu;
    struct LocalVertex {
        float position[3];
        float normal[3];
    };
    void KeepLocalVertices();
    void RestoreLocalVertices();
    std::vector<LocalVertex> local_;  // the buffer's joint-local positions and normals
    std::unordered_map<VertexKey, uint16_t, VertexKeyHash> vertexIndex_;
    uint32_t vertexCapacity_ = 0;  // vertices the buffer has room for
    uint32_t indexedCount_ = 0;
};
