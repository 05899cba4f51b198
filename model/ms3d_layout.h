// The byte layout of MS3D file records: packed, little-endian, IEEE-754 single floats. The loader
// decodes with these and the writer encodes with them, so both agree on every offset by
// construction. Group and joint records have a fixed head and a variable tail; the head
// functions cover the fixed part, the tail is a list of u16 indices or 16-byte keys.
#pragma once

#include <cstdint>

#include "model/ms3d.h"

namespace ms3d_layout {

uint16_t LoadU16(const uint8_t* p);
uint32_t LoadU32(const uint8_t* p);
float LoadF32(const uint8_t* p);
void StoreU16(uint8_t* p, uint16_t v);
void StoreU32(uint8_t* p, uint32_t v);
void StoreF32(uint8_t* p, float v);

// 15 bytes.
void DecodeVertex(const uint8_t* p, MS3DVERTEX* v);
void EncodeVertex(const MS3DVERTEX& v, uint8_t* p);
// 70 bytes.
void DecodeTriangle(const uint8_t* p, MS3DTRIANGLE* t);
void EncodeTriangle(const MS3DTRIANGLE& t, uint8_t* p);
// The first 35 bytes of a group: flags, name, triangle count. The indices follow, then the
// material index (1 byte).
constexpr uint32_t kGroupHeadSize = 35;
void DecodeGroupHead(const uint8_t* p, MS3DGROUP* g);
void EncodeGroupHead(const MS3DGROUP& g, uint8_t* p);
// 361 bytes.
void DecodeMaterial(const uint8_t* p, MS3DMATERIAL* m);
void EncodeMaterial(const MS3DMATERIAL& m, uint8_t* p);
// The 93 fixed bytes of a joint; the rotation keys follow, then the translation keys.
void DecodeJointHead(const uint8_t* p, MS3DJOINT* j);
void EncodeJointHead(const MS3DJOINT& j, uint8_t* p);
// 16 bytes.
void DecodeKey(const uint8_t* p, MS3DKEY* k);
void EncodeKey(const MS3DKEY& k, uint8_t* p);

}  // namespace ms3d_layout
