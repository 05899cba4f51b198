#include "model/ms3d.h"

#include <cmath>
#include <cstring>

#include "math/errors.h"
#include "model/ms3d_layout.h"

namespace {

using namespace ms3d_layout;

constexpr char kMS3DId[10] = {'M', 'S', '3', 'D', '0', '0', '0', '0', '0', '0'};
constexpr char kInvalidModel[] = "Not a valid MS3D file!";

// Reads from a stream but never beyond the end of the lump it was given, and never trusts a
// count before checking that the records it announces can still fit.
class LumpReader {
  public:
    LumpReader(std::istream& in, uint32_t lumpSize) : in_(in), left_(lumpSize) {}

    bool Read(void* out, uint32_t n) {
        if (n > left_) return false;
        if (!in_.read(static_cast<char*>(out), n)) return false;
        left_ -= n;
        return true;
    }
    bool Fits(uint64_t n) const { return n <= left_; }

    bool U16(uint16_t* v) {
        uint8_t b[2];
        if (!Read(b, 2)) return false;
        *v = LoadU16(b);
        return true;
    }
    bool F32(float* v) {
        uint8_t b[4];
        if (!Read(b, 4)) return false;
        *v = LoadF32(b);
        return true;
    }
    bool I32(int32_t* v) {
        uint8_t b[4];
        if (!Read(b, 4)) return false;
        *v = int32_t(LoadU32(b));
        return true;
    }

  private:
    std::istream& in_;
    uint32_t left_;
};

// A count followed by at least count * minRecordSize bytes.
bool ReadCount(LumpReader& r, uint32_t minRecordSize, uint16_t* count) {
    return r.U16(count) && r.Fits(uint64_t(*count) * minRecordSize);
}

bool ReadVertices(LumpReader& r, MS3D* m) {
    if (!ReadCount(r, kMS3DVertexSize, &m->vertexCount)) return false;
    m->vertices.resize(m->vertexCount);
    uint8_t record[kMS3DVertexSize];
    for (MS3DVERTEX& v : m->vertices) {
        if (!r.Read(record, sizeof record)) return false;
        DecodeVertex(record, &v);
    }
    return true;
}

bool ReadTriangles(LumpReader& r, MS3D* m) {
    if (!ReadCount(r, kMS3DTriangleSize, &m->triangleCount)) return false;
    m->triangles.resize(m->triangleCount);
    uint8_t record[kMS3DTriangleSize];
    for (MS3DTRIANGLE& t : m->triangles) {
        if (!r.Read(record, sizeof record)) return false;
        DecodeTriangle(record, &t);
    }
    return true;
}

bool ReadGroups(LumpReader& r, MS3D* m) {
    if (!ReadCount(r, kMS3DGroupFixedSize, &m->groupCount)) return false;
    m->groups.resize(m->groupCount);
    uint8_t head[kGroupHeadSize];
    for (MS3DGROUP& g : m->groups) {
        if (!r.Read(head, sizeof head)) return false;
        DecodeGroupHead(head, &g);
        if (!r.Fits(2u * g.triangleCount + 1u)) return false;
        std::vector<uint8_t> bytes(2u * g.triangleCount);
        if (!r.Read(bytes.data(), uint32_t(bytes.size()))) return false;
        g.triangleIndices.resize(g.triangleCount);
        for (uint32_t i = 0; i < g.triangleCount; ++i)
            g.triangleIndices[i] = LoadU16(&bytes[2 * i]);
        uint8_t material;
        if (!r.Read(&material, 1)) return false;
        g.materialIndex = int8_t(material);
    }
    return true;
}

bool ReadMaterials(LumpReader& r, MS3D* m) {
    if (!ReadCount(r, kMS3DMaterialSize, &m->materialCount)) return false;
    m->materials.resize(m->materialCount);
    uint8_t record[kMS3DMaterialSize];
    for (MS3DMATERIAL& mat : m->materials) {
        if (!r.Read(record, sizeof record)) return false;
        DecodeMaterial(record, &mat);
    }
    return true;
}

bool ReadTiming(LumpReader& r, MS3D* m) {
    float currentTime;  // carried by the file, of no use here
    return r.F32(&m->fps) && r.F32(&currentTime) && r.I32(&m->totalFrames);
}

bool ReadKeys(LumpReader& r, uint16_t count, std::vector<MS3DKEY>* keys) {
    if (!r.Fits(uint64_t(count) * kMS3DKeySize)) return false;
    keys->resize(count);
    uint8_t record[kMS3DKeySize];
    for (MS3DKEY& k : *keys) {
        if (!r.Read(record, sizeof record)) return false;
        DecodeKey(record, &k);
    }
    return true;
}

bool ReadJoints(LumpReader& r, MS3D* m) {
    if (!ReadCount(r, kMS3DJointFixedSize, &m->jointCount)) return false;
    m->joints.resize(m->jointCount);
    uint8_t head[kMS3DJointFixedSize];
    for (MS3DJOINT& j : m->joints) {
        if (!r.Read(head, sizeof head)) return false;
        DecodeJointHead(head, &j);
        if (!ReadKeys(r, j.rotationKeyCount, &j.rotationKeys)) return false;
        if (!ReadKeys(r, j.translationKeyCount, &j.translationKeys)) return false;
    }
    return true;
}

bool Terminated(const char* name) {
    return std::memchr(name, 0, kMS3DNameSize) != nullptr;
}

bool NamesTerminated(const MS3D& m) {
    for (const MS3DGROUP& g : m.groups)
        if (!Terminated(g.name)) return false;
    for (const MS3DMATERIAL& mat : m.materials)
        if (!Terminated(mat.name)) return false;
    for (const MS3DJOINT& j : m.joints)
        if (!Terminated(j.name) || !Terminated(j.parentName)) return false;
    return true;
}

bool ReferencesInRange(const MS3D& m) {
    for (const MS3DVERTEX& v : m.vertices)
        if (v.jointIndex < -1 || v.jointIndex >= int(m.jointCount)) return false;
    for (const MS3DTRIANGLE& t : m.triangles)
        for (const uint16_t index : t.vertexIndices)
            if (index >= m.vertexCount) return false;
    for (const MS3DGROUP& g : m.groups) {
        // Every group is drawn with its material, so a group without one is out of range too.
        if (g.materialIndex < 0 || g.materialIndex >= int(m.materialCount)) return false;
        for (const uint16_t index : g.triangleIndices)
            if (index >= m.triangleCount) return false;
    }
    return true;
}

// Joints are posed in index order reading the parent's matrix of the same pass, so a parent at
// or after its child (a cycle included) would leave the child posed from a stale matrix.
bool ParentsComeFirst(const MS3D& m) {
    for (int i = 0; i < m.jointCount; ++i)
        if (m.ParentOf(i) >= i) return false;
    return true;
}

bool Valid(const MS3D& m) {
    return std::isfinite(m.fps) && m.fps > 0.0f && NamesTerminated(m) && ReferencesInRange(m) &&
           ParentsComeFirst(m);
}

bool HeaderValid(const uint8_t* header) {
    const int32_t version = int32_t(LoadU32(header + 10));
    return std::memcmp(header, kMS3DId, sizeof kMS3DId) == 0 && (version == 3 || version == 4);
}

}  // namespace

bool MS3D::LoadFromFStream(std::istream& in, uint32_t lumpSize) {
    Clear();
    LumpReader r(in, lumpSize);
    uint8_t header[kMS3DHeaderSize];
    const bool ok = r.Read(header, sizeof header) && HeaderValid(header) && ReadVertices(r, this) &&
                    ReadTriangles(r, this) && ReadGroups(r, this) && ReadMaterials(r, this) &&
                    ReadTiming(r, this) && ReadJoints(r, this) && Valid(*this);
    if (!ok) {
        Clear();
        ERRORCLOSE(kInvalidModel);
        return false;
    }
    totalTime = float(totalFrames * 1000.0 / fps);  // fps is finite and positive by now
    return true;
}

int MS3D::ParentOf(int joint) const {
    const char* parentName = joints[joint].parentName;
    if (parentName[0] == '\0') return -1;
    for (size_t j = 0; j < joints.size(); ++j)
        if (std::strncmp(parentName, joints[j].name, kMS3DNameSize) == 0) return int(j);
    return -1;
}

void MS3D::Scale(float factor) {
    for (MS3DVERTEX& v : vertices)
        for (float& c : v.position) c *= factor;
    for (MS3DJOINT& j : joints) {
        for (float& c : j.position) c *= factor;
        for (MS3DKEY& k : j.translationKeys) {
            k.x *= factor;
            k.y *= factor;
            k.z *= factor;
        }
    }
}

void MS3D::Clear() {
    *this = MS3D();
}
