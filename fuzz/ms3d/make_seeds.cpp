// Writes the seed corpus of the MS3D fuzz target: small models made with the MS3D writer, from
// an empty model to one with every section, plus a few the loader must refuse.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "model/ms3d.h"
#include "model/ms3d_writer.h"

namespace {

void Name(char* field, const char* name) {
    std::memset(field, 0, kMS3DNameSize);
    std::strncpy(field, name, kMS3DNameSize - 1);
}

// A strip of triangles along a chain of joints, with keys that bend it.
MS3D Chain(int joints, int triangles) {
    MS3D m;
    for (int i = 0; i < triangles + 2; ++i) {
        MS3DVERTEX v;
        v.position[0] = float(i % 2);
        v.position[1] = 0.5f * float(i);
        v.jointIndex = int8_t(joints ? (i * joints) / (triangles + 2) : -1);
        m.vertices.push_back(v);
    }
    for (int i = 0; i < triangles; ++i) {
        MS3DTRIANGLE t;
        for (int k = 0; k < 3; ++k) {
            t.vertexIndices[k] = uint16_t(i + k);
            t.normals[k][2] = 1.0f;
            t.s[k] = 0.25f * float(k);
            t.t[k] = 0.5f * float(i % 2);
        }
        m.triangles.push_back(t);
    }
    MS3DGROUP g;
    Name(g.name, "strip");
    for (int i = 0; i < triangles; ++i) g.triangleIndices.push_back(uint16_t(i));
    g.materialIndex = 0;
    m.groups.push_back(g);
    MS3DMATERIAL mat;
    Name(mat.name, "fur");
    mat.transparency = 1.0f;
    mat.mode = int8_t(-128);
    m.materials.push_back(mat);
    for (int j = 0; j < joints; ++j) {
        MS3DJOINT joint;
        Name(joint.name, ("j" + std::to_string(j)).c_str());
        if (j > 0) Name(joint.parentName, ("j" + std::to_string(j - 1)).c_str());
        joint.position[1] = j ? 1.0f : 0.0f;
        joint.rotation[2] = 0.1f * float(j);
        joint.rotationKeys = {{0.0f, 0, 0, 0}, {0.5f, 0.3f, 0, 0.2f}, {1.0f, 0, 0.4f, 0}};
        if (j % 2 == 0) joint.translationKeys = {{0.0f, 0, 0, 0}, {1.0f, 0, 0.2f, 0}};
        m.joints.push_back(joint);
    }
    m.fps = 30.0f;
    m.totalFrames = 30;
    SyncMS3DCounts(&m);
    return m;
}

bool Save(const std::string& folder, const char* name, const MS3D& m, int32_t version = 4) {
    std::vector<uint8_t> bytes;
    if (!WriteMS3D(m, &bytes, version)) return false;
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    MS3D empty;
    empty.fps = 24.0f;
    MS3D bent = Chain(3, 6);
    MS3D orphan = Chain(2, 2);
    Name(orphan.joints[0].parentName, "j1");  // a parent after its child: refused
    MS3D loose = Chain(0, 3);
    bool ok = Save(folder, "empty.ms3d", empty) && Save(folder, "chain.ms3d", bent) &&
              Save(folder, "chain_v3.ms3d", Chain(2, 4), 3) && Save(folder, "static.ms3d", loose) &&
              Save(folder, "late_parent.ms3d", orphan);
    return ok ? 0 : 1;
}
