#include "model/ms3d_writer.h"

#include <cstring>

#include "model/ms3d_layout.h"

namespace {

using namespace ms3d_layout;

bool CountsAgree(const MS3D& m) {
    if (m.vertices.size() != m.vertexCount || m.triangles.size() != m.triangleCount ||
        m.groups.size() != m.groupCount || m.materials.size() != m.materialCount ||
        m.joints.size() != m.jointCount) {
        return false;
    }
    for (const MS3DGROUP& g : m.groups)
        if (g.triangleIndices.size() != g.triangleCount) return false;
    for (const MS3DJOINT& j : m.joints)
        if (j.rotationKeys.size() != j.rotationKeyCount ||
            j.translationKeys.size() != j.translationKeyCount) {
            return false;
        }
    return true;
}

// Appends n zeroed bytes and returns where they start.
uint8_t* Grow(std::vector<uint8_t>* out, size_t n) {
    const size_t at = out->size();
    out->resize(at + n);
    return out->data() + at;
}

void PutU16(std::vector<uint8_t>* out, uint16_t v) {
    StoreU16(Grow(out, 2), v);
}

void PutKeys(std::vector<uint8_t>* out, const std::vector<MS3DKEY>& keys) {
    for (const MS3DKEY& k : keys) EncodeKey(k, Grow(out, kMS3DKeySize));
}

void PutModel(const MS3D& m, int32_t version, std::vector<uint8_t>* out) {
    uint8_t* header = Grow(out, kMS3DHeaderSize);
    std::memcpy(header, "MS3D000000", 10);
    StoreU32(header + 10, uint32_t(version));

    PutU16(out, m.vertexCount);
    for (const MS3DVERTEX& v : m.vertices) EncodeVertex(v, Grow(out, kMS3DVertexSize));
    PutU16(out, m.triangleCount);
    for (const MS3DTRIANGLE& t : m.triangles) EncodeTriangle(t, Grow(out, kMS3DTriangleSize));
    PutU16(out, m.groupCount);
    for (const MS3DGROUP& g : m.groups) {
        EncodeGroupHead(g, Grow(out, kGroupHeadSize));
        for (const uint16_t index : g.triangleIndices) PutU16(out, index);
        *Grow(out, 1) = uint8_t(g.materialIndex);
    }
    PutU16(out, m.materialCount);
    for (const MS3DMATERIAL& mat : m.materials) EncodeMaterial(mat, Grow(out, kMS3DMaterialSize));

    uint8_t* timing = Grow(out, 12);
    StoreF32(timing, m.fps);
    StoreF32(timing + 4, 0.0f);
    StoreU32(timing + 8, uint32_t(m.totalFrames));

    PutU16(out, m.jointCount);
    for (const MS3DJOINT& j : m.joints) {
        EncodeJointHead(j, Grow(out, kMS3DJointFixedSize));
        PutKeys(out, j.rotationKeys);
        PutKeys(out, j.translationKeys);
    }
}

}  // namespace

bool WriteMS3D(const MS3D& model, std::vector<uint8_t>* out, int32_t version) {
    if ((version != 3 && version != 4) || !CountsAgree(model)) return false;
    PutModel(model, version, out);
    return true;
}

void SyncMS3DCounts(MS3D* model) {
    model->vertexCount = uint16_t(model->vertices.size());
    model->triangleCount = uint16_t(model->triangles.size());
    model->groupCount = uint16_t(model->groups.size());
    model->materialCount = uint16_t(model->materials.size());
    model->jointCount = uint16_t(model->joints.size());
    for (MS3DGROUP& g : model->groups) g.triangleCount = uint16_t(g.triangleIndices.size());
    for (MS3DJOINT& j : model->joints) {
        j.rotationKeyCount = uint16_t(j.rotationKeys.size());
        j.translationKeyCount = uint16_t(j.translationKeys.size());
    }
}
