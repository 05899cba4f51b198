// Turning a loaded model into its bind pose: the skeleton with its bind matrices, and every vertex
// and corner normal re-expressed in the frame of its joint.
#include <cstddef>

#include "math/quat.h"
#include "model/ms3d.h"

void MS3D::InitialSetup() {
    // A second run would convert the joint rotations to degrees twice.
    if (joints.empty() || !skeleton.empty()) return;
    SetupSkeleton();
    UpdateSkeleton();
    RevertPoints();
}

void MS3D::SetupSkeleton() {
    skeleton.assign(joints.size(), SKELETON_JOINT());
    for (size_t i = 0; i < joints.size(); ++i) {
        MS3DJOINT& file = joints[i];
        for (float& angle : file.rotation) angle = float(angle * kDegreesPerRadian);
        SKELETON_JOINT& joint = skeleton[i];
        joint.flags = file.flags;
        joint.relative.Identity();
        joint.absolute.Identity();
        joint.rotation = MakePoint(file.rotation[0], file.rotation[1], file.rotation[2]);
        joint.position = MakePoint(file.position[0], file.position[1], file.position[2]);
        joint.parent = ParentOf(int(i));
    }
}

void MS3D::UpdateSkeleton() {
    for (SKELETON_JOINT& joint : skeleton) {
        joint.relative = QuatToRotationMatrix(RotationToQuat(joint.rotation));
        joint.relative.SetTranslation(joint.position);
        // The parent's matrix is read as it stands: a parent later in the list is still at its
        // previous value (the loader refuses such models).
        if (joint.parent < 0 || size_t(joint.parent) >= skeleton.size()) {
            joint.absolute = joint.relative;
        } else {
            joint.absolute = MultiplyMatrix(skeleton[joint.parent].absolute, joint.relative);
        }
    }
}

void MS3D::RevertPoints() {
    const auto jointOf = [this](int jointIndex) -> const MATRIX* {
        if (jointIndex < 0 || size_t(jointIndex) >= skeleton.size()) return nullptr;
        return &skeleton[jointIndex].absolute;
    };
    for (MS3DVERTEX& v : vertices) {
        const MATRIX* a = jointOf(v.jointIndex);
        if (!a) continue;
        VECTOR3D p = MakePoint(v.position[0], v.position[1], v.position[2]);
        p = MatrixInverseRotatePoint(*a, MatrixInverseTranslatePoint(*a, p));
        v.position[0] = p.x;
        v.position[1] = p.y;
        v.position[2] = p.z;
    }
    // Corner normals follow the joint of their corner's vertex; each corner is turned once.
    for (MS3DTRIANGLE& t : triangles) {
        for (int k = 0; k < 3; ++k) {
            if (t.vertexIndices[k] >= vertices.size()) continue;
            const MATRIX* a = jointOf(vertices[t.vertexIndices[k]].jointIndex);
            if (!a) continue;
            float* n = t.normals[k];
            const VECTOR3D r = MatrixInverseRotatePoint(*a, MakePoint(n[0], n[1], n[2]));
            n[0] = r.x;
            n[1] = r.y;
            n[2] = r.z;
        }
    }
}
