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

bool VertexJointsInRange(const MS3D& m) {
    for (const MS3DVERTEX& v : m.vertices)
        if (v.jointIndex < -1 || v.jointIndex >= int(m.jointCount)) return false;
    return true;
}

bool TriangleVerticesInRange(const MS3D& m) {
    for (const MS3DTRIANGLE& t : m.triangles)
        for (const uint16_t index : t.vertexIndices)
            if (index >= m.vertexCount) return false;
    return true;
}

// A group without a material (-1) is drawn untextured.
bool GroupMaterialsInRange(const MS3D& m) {
    for (const MS3DGROUP& g : m.groups)
        if (g.materialIndex < -1 || g.materialIndex >= int(m.materialCount)) return false;
    return true;
}

bool GroupTrianglesInRange(const MS3D& m) {
    for (const MS3DGROUP& g : m.groups)
        for (const uint16_t index : g.triangleIndices)
            if (index >= m.triangleCount) return false;
    return true;
}

bool Finite(const float* values, int n) {
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(values[i])) return false;
    return true;
}

bool KeysFinite(const std::vector<MS3DKEY>& keys) {
    for (const MS3DKEY& k : keys)
        if (!std::isfinite(k.time) || !std::isfinite(k.x) || !std::isfinite(k.y) ||
            !std::isfinite(k.z))
            return false;
    return true;
}

// A NaN or infinity in a bind pose or a key poisons every matrix below that joint: the cat's
// mesh and paws become NaN and it lays no footprints.
bool PosesFinite(const MS3D& m) {
    for (const MS3DJOINT& j : m.joints)
        if (!Finite(j.rotation, 3) || !Finite(j.position, 3) || !KeysFinite(j.rotationKeys) ||
            !KeysFinite(j.translationKeys))
            return false;
    return true;
}

// Clip times are frame numbers divided by the frame rate: a rate far outside what any modeller
// writes (1e-30, say) makes them infinite.
bool FrameRateSane(const MS3D& m) {
    return m.fps >= kMS3DMinFps && m.fps <= kMS3DMaxFps;
}

// Joints are posed in index order reading the parent's matrix of the same pass, so a parent after
// its child (a cycle included) would leave the child posed from a stale matrix.
bool ParentsComeFirst(const MS3D& m) {
    for (int i = 0; i < m.jointCount; ++i)
        if (m.ParentOf(i) >= i) return false;
    return true;
}

// What is wrong with a model read whole, or nullptr when nothing is.
const char* Flaw(const MS3D& m) {
    static const struct {
        bool (*holds)(const MS3D&);
        const char* flaw;
    } kRules[] = {
        {NamesTerminated, "a name runs past its 32 bytes"},
        {VertexJointsInRange, "a vertex names a joint the model lacks"},
        {TriangleVerticesInRange, "a triangle names a vertex the model lacks"},
        {GroupMaterialsInRange, "a group names a material the model lacks"},
        {GroupTrianglesInRange, "a group names a triangle the model lacks"},
        {FrameRateSane, "its frame rate is not between 1 and 1000 frames a second"},
        {PosesFinite, "a bind pose or an animation key is not a finite number"},
        {ParentsComeFirst, "a joint's parent comes after it"},
    };
    for (const auto& rule : kRules)
        if (!rule.holds(m)) return rule.flaw;
    return nullptr;
}

bool HeaderValid(const uint8_t* header) {
    const int32_t version = int32_t(LoadU32(header + 10));
    return std::memcmp(header, kMS3DId, sizeof kMS3DId) == 0 && (version == 3 || version == 4);
}

// Reads the whole model; nullptr, or what made the reading stop.
const char* Read(LumpReader& r, MS3D* m) {
    uint8_t header[kMS3DHeaderSize];
    if (!r.Read(header, sizeof header)) return "it is shorter than a model's header";
    if (!HeaderValid(header)) return "it is not an MS3D model of version 3 or 4";
    static const struct {
        bool (*read)(LumpReader&, MS3D*);
        const char* refusal;
    } kSections[] = {
        {ReadVertices, "its vertices run past the end of its lump"},
        {ReadTriangles, "its triangles run past the end of its lump"},
        {ReadGroups, "its groups run past the end of its lump"},
        {ReadMaterials, "its materials run past the end of its lump"},
        {ReadTiming, "its frame rate and length run past the end of its lump"},
        {ReadJoints, "its joints run past the end of its lump"},
    };
    for (const auto& section : kSections)
        if (!section.read(r, m)) return section.refusal;
    return Flaw(*m);
}

}  // namespace

bool MS3D::LoadFromFStream(std::istream& in, uint32_t lumpSize) {
    std::string reason;
    if (LoadFromFStream(in, lumpSize, reason)) return true;
    ERRORCLOSE(kInvalidModel);
    return false;
}

bool MS3D::LoadFromFStream(std::istream& in, uint32_t lumpSize, std::string& reason) {
    Clear();
    LumpReader r(in, lumpSize);
    if (const char* refusal = Read(r, this)) {
        Clear();
        reason = refusal;
        return false;
    }
    totalTime = float(totalFrames * 1000.0 / fps);  // fps is finite and positive by now
    return true;
}

int MS3D::ParentOf(int joint) const {
    const char* parentName = joints[joint].parentName;
    if (parentName[0] == '\0') return -1;
    for (size_t j = 0; j < joints.size(); ++j) {
        if (std::strncmp(parentName, joints[j].name, kMS3DNameSize) != 0) continue;
        // A joint that names itself is a root: as its own parent it would be posed from its own
        // matrix of the frame before, compounding every frame.
        return int(j) == joint ? -1 : int(j);
    }
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
