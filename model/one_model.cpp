#include "model/one_model.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "math/errors.h"
#include "model/animation_template.h"
#include "model/ms3d.h"

namespace {

constexpr char kNoMemory[] = "Unable to allocate memory!";
constexpr uint32_t kMaxVertices = 0xFFFF;  // indices are 16-bit and 0xFFFF is kNoVertex

// The instance draws every group with its material and skins every vertex with its joint, so a
// model it is built from must keep all references inside its arrays.
bool FitsInstance(const MS3D& model, const ANIMATIONTEMPLATE& animTemplate) {
    if (model.groups.size() != model.groupCount || model.materials.size() != model.materialCount)
        return false;
    uint32_t corners = 0;
    for (const MS3DGROUP& g : model.groups) {
        // A group without a material (-1) is drawn untextured.
        if (g.materialIndex < -1 || g.materialIndex >= int(model.materials.size())) return false;
        if (g.triangleIndices.size() != g.triangleCount) return false;
        for (const uint16_t t : g.triangleIndices) {
            if (t >= model.triangles.size()) return false;
            for (const uint16_t v : model.triangles[t].vertexIndices)
                if (v >= model.vertices.size()) return false;
        }
        corners += g.triangleCount;
    }
    if (corners > 0xFFFF) return false;  // the index list counts triangles in 16 bits
    for (const MS3DVERTEX& v : model.vertices)
        if (v.jointIndex < -1 || v.jointIndex >= animTemplate.jointCount) return false;
    return true;
}

// Bits of a float for exact comparison: -0 and +0 compare equal as floats, so they share a key.
uint32_t KeyBits(float f) {
    f += 0.0f;  // -0 + +0 is +0
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

template <typename T>
std::unique_ptr<T[]> NewArray(size_t n) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[n == 0 ? 1 : n]);
}

}  // namespace

bool ONEMODEL::VertexKey::operator==(const VertexKey& o) const {
    return jointIndex == o.jointIndex && std::memcmp(words, o.words, sizeof words) == 0;
}

size_t ONEMODEL::VertexKeyHash::operator()(const VertexKey& k) const {
    uint64_t h = 0xcbf29ce484222325ull ^ uint8_t(k.jointIndex);
    for (const uint32_t w : k.words) {
        h ^= w;
        h *= 0x100000001b3ull;
        h ^= h >> 29;
    }
    return size_t(h);
}

ONEMODEL::~ONEMODEL() {
    Cleanup();
}

bool ONEMODEL::MakeKey(const float* position, const float* normal, float s, float t,
                       char jointIndex, VertexKey* key) {
    const float values[8] = {position[0], position[1], position[2], normal[0],
                             normal[1],   normal[2],   s,           t};
    for (int i = 0; i < 8; ++i) {
        if (std::isnan(values[i])) return false;  // equal to nothing, not even itself
        key->words[i] = KeyBits(values[i]);
    }
    key->jointIndex = int8_t(jointIndex);
    return true;
}

void ONEMODEL::IndexBuffer() {
    if (indexedCount_ == vertexCount) return;
    vertexIndex_.clear();
    for (uint32_t i = 0; i < vertexCount; ++i) {
        const MODELVERTEX& v = vertices[i];
        VertexKey key;
        // emplace keeps the first of equal vertices, which is the one a scan from 0 finds.
        if (MakeKey(v.position, v.normal, v.s, v.t, char(v.jointIndex), &key))
            vertexIndex_.emplace(key, uint16_t(i));
    }
    indexedCount_ = vertexCount;
}

uint16_t ONEMODEL::AddVertToBuffer(const float* position, const float* normal, float s, float t,
                                   char jointIndex) {
    IndexBuffer();
    local_.clear();  // a hand-built buffer has no kept joint-local copy
    VertexKey key;
    const bool comparable = MakeKey(position, normal, s, t, jointIndex, &key);
    if (comparable) {
        const auto found = vertexIndex_.find(key);
        if (found != vertexIndex_.end()) return found->second;
    }
    if (vertexCount >= kMaxVertices) return kNoVertex;
    if (!GrowBuffer()) return kNoVertex;
    MODELVERTEX& v = vertices[vertexCount];
    std::memset(&v, 0, sizeof v);
    std::memcpy(v.position, position, sizeof v.position);
    std::memcpy(v.normal, normal, sizeof v.normal);
    v.s = s;
    v.t = t;
    v.jointIndex = int8_t(jointIndex);
    if (comparable) vertexIndex_.emplace(key, vertexCount);
    indexedCount_ = ++vertexCount;
    return uint16_t(vertexCount - 1);
}

bool ONEMODEL::GrowBuffer() {
    // The buffer grows by doubling: growing it one vertex at a time moves the whole buffer on
    // every append (a quadratic cost that memory checkers, whose realloc always moves, make
    // dominate a set-up of tens of thousands of vertices).
    if (vertices && vertexCount < vertexCapacity_) return true;
    const uint32_t wanted =
        std::min<uint32_t>(kMaxVertices, std::max<uint32_t>(64, 2u * vertexCount));
    void* grown = std::realloc(vertices, size_t(wanted) * sizeof(MODELVERTEX));
    if (!grown) return false;
    vertices = static_cast<MODELVERTEX*>(grown);
    vertexCapacity_ = wanted;
    return true;
}

void ONEMODEL::ResetPlayback() {
    animTime = startTime = endTime = 0.0f;
    loop = false;
    timeScale = 1000.0f;
    position = heading = angles = VECTOR3D();
    rotation.Identity();
}

bool ONEMODEL::MakeJoints() {
    jointCount = uint16_t(animTemplate->jointCount);
    joints = NewArray<BASICJOINT>(jointCount);
    if (!joints) return false;
    for (int i = 0; i < jointCount; ++i) {
        joints[i].parent = animTemplate->joints[i].parent;
        joints[i].flags = animTemplate->joints[i].flags;
    }
    return true;
}

bool ONEMODEL::Setup(ANIMATIONTEMPLATE* animTemplateIn, MS3D* model, unsigned long* texName) {
    Cleanup();
    if (!animTemplateIn || !model || !animTemplateIn->Complete() ||
        animTemplateIn->jointCount > 0xFFFF || !FitsInstance(*model, *animTemplateIn)) {
        return false;
    }
    animTemplate = animTemplateIn;
    ResetPlayback();
    groupCount = model->groupCount;
    materialCount = model->materialCount;
    if (!MakeJoints()) {
        Cleanup();
        ERRORCLOSE(kNoMemory);
        return false;
    }
    materials = NewArray<TEXINFO>(materialCount);
    groups = NewArray<MODELGROUP>(groupCount);
    if (!materials || !groups) {
        Cleanup();
        ERRORCLOSE(kNoMemory);
        return false;
    }
    // The texture name is read now: later changes to *texName do not reach this instance.
    const uint32_t texID = texName ? uint32_t(*texName) : 0;
    for (int i = 0; i < materialCount; ++i) {
        const MS3DMATERIAL& source = model->materials[i];
        TEXINFO& m = materials[i];
        m.mode = source.mode;
        m.transparency = source.transparency;
        for (int c = 0; c < 3; ++c) m.ambient[c] = source.ambient[c];
        m.texID = texID;
    }

    uint32_t total = 0;
    for (const MS3DGROUP& g : model->groups) total += g.triangleCount;
    triangleCount = uint16_t(total);
    indices = NewArray<uint16_t>(3 * size_t(triangleCount));
    if (!indices) {
        Cleanup();
        return false;
    }
    const bool built = FillBuffer(*model);
    // The index only serves set-up; an instance keeps its memory for drawing.
    ForgetIndex();
    if (!built) {
        Cleanup();
        return false;
    }
    KeepLocalVertices();
    return true;
}

void ONEMODEL::KeepLocalVertices() {
    local_.resize(vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i) {
        std::memcpy(local_[i].position, vertices[i].position, sizeof local_[i].position);
        std::memcpy(local_[i].normal, vertices[i].normal, sizeof local_[i].normal);
    }
}

void ONEMODEL::RestoreLocalVertices() {
    for (uint32_t i = 0; i < vertexCount; ++i) {
        std::memcpy(vertices[i].position, local_[i].position, sizeof local_[i].position);
        std::memcpy(vertices[i].normal, local_[i].normal, sizeof local_[i].normal);
    }
}

bool ONEMODEL::FillBuffer(const MS3D& model) {
    uint32_t n = 0;
    for (int g = 0; g < groupCount; ++g) {
        const MS3DGROUP& source = model.groups[g];
        groups[g].firstIndex = n;
        groups[g].materialIndex = source.materialIndex;
        groups[g].triangleCount = source.triangleCount;
        for (uint32_t j = 0; j < source.triangleCount; ++j) {
            const MS3DTRIANGLE& tri = model.triangles[source.triangleIndices[j]];
            for (int k = 0; k < 3; ++k) {
                const MS3DVERTEX& v = model.vertices[tri.vertexIndices[k]];
                // t is stored flipped, as immediate-mode drawing sends it.
                const uint16_t index = AddVertToBuffer(v.position, tri.normals[k], tri.s[k],
                                                       1.0f - tri.t[k], char(v.jointIndex));
                if (index == kNoVertex) return false;
                indices[n + 3 * j + k] = index;
            }
        }
        n += 3u * source.triangleCount;
    }
    return true;
}

void ONEMODEL::DrawGroup(int group) const {
    if (group < 0 || group >= groupCount || !groups) return;
    const MODELGROUP& g = groups[group];
    const TEXINFO* m = nullptr;
    if (materialCount > 0 && g.materialIndex >= 0 && g.materialIndex < materialCount)
        m = &materials[g.materialIndex];
    const GLvoid* slice = indices.get() + g.firstIndex;
    if (!m || m->texID == 0) {
        // A group without a material, or whose texture is missing (a coat that could not be
        // read), is drawn untextured: GL would sample texture name 0 as black.
        glBindTexture(GL_TEXTURE_2D, 0);
        glPushAttrib(GL_ENABLE_BIT);
        glDisable(GL_TEXTURE_2D);
        glDrawElements(GL_TRIANGLES, GLsizei(3 * g.triangleCount), GL_UNSIGNED_SHORT, slice);
        glPopAttrib();
        return;
    }
    const bool sphereMapped = m->mode < 0;
    if (sphereMapped) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }
    glBindTexture(GL_TEXTURE_2D, m->texID);
    glDrawElements(GL_TRIANGLES, GLsizei(3 * g.triangleCount), GL_UNSIGNED_SHORT, slice);
    if (sphereMapped) {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}

void ONEMODEL::Draw() const {
    if (!vertices || !indices) return;
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glMultMatrixd(rotation.m);
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    const char* base = reinterpret_cast<const char*>(vertices);
    glVertexPointer(3, GL_FLOAT, sizeof(MODELVERTEX), base + offsetof(MODELVERTEX, position));
    glNormalPointer(GL_FLOAT, sizeof(MODELVERTEX), base + offsetof(MODELVERTEX, normal));
    glTexCoordPointer(2, GL_FLOAT, sizeof(MODELVERTEX), base + offsetof(MODELVERTEX, s));
    for (int g = 0; g < groupCount; ++g) DrawGroup(g);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glPopMatrix();
}

bool ONEMODEL::CopyFrom(const ONEMODEL& source) {
    if (&source == this) return false;
    Cleanup();
    if (!source.animTemplate || !source.animTemplate->Complete()) return false;
    animTemplate = source.animTemplate;
    ResetPlayback();
    groupCount = source.groupCount;
    materialCount = source.materialCount;
    triangleCount = source.triangleCount;
    materials = NewArray<TEXINFO>(materialCount);
    groups = NewArray<MODELGROUP>(groupCount);
    if (!MakeJoints() || !materials || !groups) {
        Cleanup();
        ERRORCLOSE(kNoMemory);
        return false;
    }
    for (int i = 0; i < materialCount; ++i) materials[i] = source.materials[i];
    if (groupCount > 0)
        std::memcpy(groups.get(), source.groups.get(), groupCount * sizeof(MODELGROUP));
    indices = NewArray<uint16_t>(3 * size_t(triangleCount));
    vertices = static_cast<MODELVERTEX*>(
        std::malloc(std::max<size_t>(1, source.vertexCount) * sizeof(MODELVERTEX)));
    if (!indices || !vertices) {
        Cleanup();
        return false;
    }
    vertexCapacity_ = std::max<uint32_t>(1, source.vertexCount);
    if (triangleCount > 0)
        std::memcpy(indices.get(), source.indices.get(),
                    3 * size_t(triangleCount) * sizeof(uint16_t));
    vertexCount = source.vertexCount;
    if (vertexCount > 0) std::memcpy(vertices, source.vertices, vertexCount * sizeof(MODELVERTEX));
    // The copy starts joint-local, even from a source that has been posed.
    if (source.local_.size() == vertexCount) {
        local_ = source.local_;
        RestoreLocalVertices();
    }
    return true;
}

void ONEMODEL::Cleanup() {
    indices.reset();
    std::free(vertices);
    vertices = nullptr;
    vertexCapacity_ = 0;
    materials.reset();  // each TEXINFO deletes its texture, the last first
    groups.reset();
    joints.reset();
    jointCount = materialCount = groupCount = triangleCount = vertexCount = 0;
    animTemplate = nullptr;
    ForgetIndex();
    local_ = std::vector<LocalVertex>();
}

void ONEMODEL::ForgetIndex() {
    if (!vertexIndex_.empty()) vertexIndex_ = decltype(vertexIndex_)();
    indexedCount_ = kIndexStale;
}
