#include "tools/packgen/ms3d_export.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "math/quat.h"

namespace packgen {

namespace {

void CopyName(char* dst, const std::string& name) {
    std::memset(dst, 0, kMS3DNameSize);
    std::strncpy(dst, name.c_str(), kMS3DNameSize - 1);
}

void SetFloats(float* dst, V3 v) {
    dst[0] = float(v.x);
    dst[1] = float(v.y);
    dst[2] = float(v.z);
}

QUAT ToQuat(V3 radians) {
    const double k = 180.0 / kPi;
    return RotationToQuat(
        MakePoint(float(radians.x * k), float(radians.y * k), float(radians.z * k)));
}

double Angle(const QUAT& a, const QUAT& b) {
    const double dot = std::fabs(a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w);
    return 2.0 * std::acos(std::min(1.0, dot));
}

// The frames to key: greedily, each key reaches as far as interpolation to the next key keeps
// every frame in between within tolerance. `fits(a, b)` tells whether keys at a and b suffice
// for every frame between them.
std::vector<int> KeyFrames(int count, const std::vector<bool>& pinned,
                           const std::function<bool(int, int)>& fits) {
    std::vector<int> keys{0};
    int a = 0;
    while (a < count - 1) {
        int b = a + 1;
        while (b + 1 < count && !pinned[b] && fits(a, b + 1)) ++b;
        keys.push_back(b);
        a = b;
    }
    return keys;
}

}  // namespace

MS3D MeshToMS3D(const Mesh& mesh, const std::string& name) {
    if (mesh.vertices.size() > 65535 || mesh.triangles.size() > 65535)
        throw std::runtime_error("mesh too large for a model file: " + name);
    MS3D m;
    m.vertexCount = uint16_t(mesh.vertices.size());
    for (const MeshVertex& v : mesh.vertices) {
        MS3DVERTEX out;
        SetFloats(out.position, v.position);
        out.jointIndex = int8_t(v.joint);
        m.vertices.push_back(out);
    }
    m.triangleCount = uint16_t(mesh.triangles.size());
    MS3DGROUP group;
    CopyName(group.name, name);
    group.materialIndex = 0;
    for (size_t i = 0; i < mesh.triangles.size(); ++i) {
        const MeshTriangle& t = mesh.triangles[i];
        MS3DTRIANGLE out;
        for (int k = 0; k < 3; ++k) {
            out.vertexIndices[k] = uint16_t(t.v[k]);
            SetFloats(out.normals[k], t.normal[k]);
            out.s[k] = float(t.s[k]);
            out.t[k] = float(t.t[k]);
        }
        out.smoothingGroup = 1;
        out.groupIndex = 0;
        m.triangles.push_back(out);
        group.triangleIndices.push_back(uint16_t(i));
    }
    group.triangleCount = uint16_t(group.triangleIndices.size());
    m.groupCount = 1;
    m.groups.push_back(group);
    MS3DMATERIAL material;
    CopyName(material.name, name + "-skin");
    const float ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f}, diffuse[4] = {0.9f, 0.9f, 0.9f, 1.0f};
    std::memcpy(material.ambient, ambient, sizeof ambient);
    std::memcpy(material.diffuse, diffuse, sizeof diffuse);
    material.transparency = 1.0f;
    m.materialCount = 1;
    m.materials.push_back(material);
    m.fps = 30.0f;
    return m;
}

void AddAnimation(MS3D& model, const std::vector<Joint>& skeleton, const std::vector<Pose>& frames,
                  float fps, const std::vector<bool>& pinned) {
    const int count = int(frames.size());
    model.fps = fps;
    model.totalFrames = int32_t(count);
    model.totalTime = float(double(model.totalFrames) * 1000.0 / fps);
    model.jointCount = uint16_t(skeleton.size());
    model.joints.clear();
    auto time = [&](int f) { return float(double(f) / fps); };
    for (size_t j = 0; j < skeleton.size(); ++j) {
        const Joint& joint = skeleton[j];
        MS3DJOINT out;
        CopyName(out.name, joint.name);
        if (joint.parent >= 0) CopyName(out.parentName, skeleton[joint.parent].name);
        const V3 offset =
            joint.parent < 0 ? joint.position : joint.position - skeleton[joint.parent].position;
        SetFloats(out.position, offset);

        std::vector<QUAT> q(count);
        for (int f = 0; f < count; ++f) q[f] = ToQuat(frames[f].rotation[j]);
        const auto rotationFits = [&](int a, int b) {
            for (int f = a + 1; f < b; ++f) {
                const QUAT mid = QuatSlerp(&q[a], &q[b], double(f - a) / (b - a));
                if (Angle(mid, q[f]) > kRotationTolerance) return false;
            }
            return true;
        };
        for (int f : KeyFrames(count, pinned, rotationFits)) {
            const V3 r = frames[f].rotation[j];
            out.rotationKeys.push_back(MS3DKEY{time(f), float(r.x), float(r.y), float(r.z)});
        }
        if (joint.parent < 0) {
            const auto translationFits = [&](int a, int b) {
                for (int f = a + 1; f < b; ++f) {
                    const V3 mid =
                        Lerp(frames[a].rootOffset, frames[b].rootOffset, double(f - a) / (b - a));
                    if (Length(mid - frames[f].rootOffset) > kTranslationTolerance) return false;
                }
                return true;
            };
            for (int f : KeyFrames(count, pinned, translationFits)) {
                const V3 o = frames[f].rootOffset;
                out.translationKeys.push_back(MS3DKEY{time(f), float(o.x), float(o.y), float(o.z)});
            }
        } else {
            // One still key: every joint then has both kinds, and its offset stays the bind one.
            out.translationKeys.push_back(MS3DKEY{0.0f, 0.0f, 0.0f, 0.0f});
        }
        out.rotationKeyCount = uint16_t(out.rotationKeys.size());
        out.translationKeyCount = uint16_t(out.translationKeys.size());
        model.joints.push_back(std::move(out));
    }
}

}  // namespace packgen
