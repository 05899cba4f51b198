#include "model/ms3d_layout.h"

#include <cstring>

namespace ms3d_layout {

// Fields are assembled byte by byte so the layout holds whatever the host's byte order.
uint16_t LoadU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

float LoadF32(const uint8_t* p) {
    const uint32_t bits = LoadU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void StoreF32(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    StoreU32(p, bits);
}

namespace {

void LoadFloats(const uint8_t* p, float* out, int n) {
    for (int i = 0; i < n; ++i) out[i] = LoadF32(p + 4 * i);
}

void StoreFloats(uint8_t* p, const float* in, int n) {
    for (int i = 0; i < n; ++i) StoreF32(p + 4 * i, in[i]);
}

}  // namespace

void DecodeVertex(const uint8_t* p, MS3DVERTEX* v) {
    v->flags = p[0];
    LoadFloats(p + 1, v->position, 3);
    v->jointIndex = int8_t(p[13]);
    v->refCount = p[14];
}

void EncodeVertex(const MS3DVERTEX& v, uint8_t* p) {
    p[0] = v.flags;
    StoreFloats(p + 1, v.position, 3);
    p[13] = uint8_t(v.jointIndex);
    p[14] = v.refCount;
}

void DecodeTriangle(const uint8_t* p, MS3DTRIANGLE* t) {
    t->flags = LoadU16(p);
    for (int k = 0; k < 3; ++k) t->vertexIndices[k] = LoadU16(p + 2 + 2 * k);
    LoadFloats(p + 8, &t->normals[0][0], 9);
    LoadFloats(p + 44, t->s, 3);
    LoadFloats(p + 56, t->t, 3);
    t->smoothingGroup = p[68];
    t->groupIndex = p[69];
}

void EncodeTriangle(const MS3DTRIANGLE& t, uint8_t* p) {
    StoreU16(p, t.flags);
    for (int k = 0; k < 3; ++k) StoreU16(p + 2 + 2 * k, t.vertexIndices[k]);
    StoreFloats(p + 8, &t.normals[0][0], 9);
    StoreFloats(p + 44, t.s, 3);
    StoreFloats(p + 56, t.t, 3);
    p[68] = t.smoothingGroup;
    p[69] = t.groupIndex;
}

void DecodeGroupHead(const uint8_t* p, MS3DGROUP* g) {
    g->flags = p[0];
    std::memcpy(g->name, p + 1, kMS3DNameSize);
    g->triangleCount = LoadU16(p + 33);
}

void EncodeGroupHead(const MS3DGROUP& g, uint8_t* p) {
    p[0] = g.flags;
    std::memcpy(p + 1, g.name, kMS3DNameSize);
    StoreU16(p + 33, g.triangleCount);
}

void DecodeMaterial(const uint8_t* p, MS3DMATERIAL* m) {
    std::memcpy(m->name, p, kMS3DNameSize);
    LoadFloats(p + 32, m->ambient, 4);
    LoadFloats(p + 48, m->diffuse, 4);
    LoadFloats(p + 64, m->specular, 4);
    LoadFloats(p + 80, m->emissive, 4);
    m->shininess = LoadF32(p + 96);
    m->transparency = LoadF32(p + 100);
    m->mode = int8_t(p[104]);
    std::memcpy(m->textureName, p + 105, kMS3DTextureNameSize);
    std::memcpy(m->alphaMapName, p + 233, kMS3DTextureNameSize);
}

void EncodeMaterial(const MS3DMATERIAL& m, uint8_t* p) {
    std::memcpy(p, m.name, kMS3DNameSize);
    StoreFloats(p + 32, m.ambient, 4);
    StoreFloats(p + 48, m.diffuse, 4);
    StoreFloats(p + 64, m.specular, 4);
    StoreFloats(p + 80, m.emissive, 4);
    StoreF32(p + 96, m.shininess);
    StoreF32(p + 100, m.transparency);
    p[104] = uint8_t(m.mode);
    std::memcpy(p + 105, m.textureName, kMS3DTextureNameSize);
    std::memcpy(p + 233, m.alphaMapName, kMS3DTextureNameSize);
}

void DecodeJointHead(const uint8_t* p, MS3DJOINT* j) {
    j->flags = p[0];
    std::memcpy(j->name, p + 1, kMS3DNameSize);
    std::memcpy(j->parentName, p + 33, kMS3DNameSize);
    LoadFloats(p + 65, j->rotation, 3);
    LoadFloats(p + 77, j->position, 3);
    j->rotationKeyCount = LoadU16(p + 89);
    j->translationKeyCount = LoadU16(p + 91);
}

void EncodeJointHead(const MS3DJOINT& j, uint8_t* p) {
    p[0] = j.flags;
    std::memcpy(p + 1, j.name, kMS3DNameSize);
    std::memcpy(p + 33, j.parentName, kMS3DNameSize);
    StoreFloats(p + 65, j.rotation, 3);
    StoreFloats(p + 77, j.position, 3);
    StoreU16(p + 89, j.rotationKeyCount);
    StoreU16(p + 91, j.translationKeyCount);
}

void DecodeKey(const uint8_t* p, MS3DKEY* k) {
    k->time = LoadF32(p);
    k->x = LoadF32(p + 4);
    k->y = LoadF32(p + 8);
    k->z = LoadF32(p + 12);
}

void EncodeKey(const MS3DKEY& k, uint8_t* p) {
    StoreF32(p, k.time);
    StoreF32(p + 4, k.x);
    StoreF32(p + 8, k.y);
    StoreF32(p + 12, k.z);
}

}  // namespace ms3d_layout
