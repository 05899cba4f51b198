// Clip playback and rigid skinning of a model instance: every frame the vertices are taken back to
// joint-local space, the clip clock advances, the joints are evaluated from the keys, and the
// vertices are posed again with the new joint matrices.
#include <algorithm>
#include <vector>

#include "model/animation_template.h"
#include "model/one_model.h"

namespace {

// The first key whose time is not less than `time`, or the last key when every key is earlier.
int TargetKey(const std::vector<MS3DKEY>& keys, float time) {
    int k = 0;
    const int last = int(keys.size()) - 1;
    while (k < last && time > keys[k].time) ++k;
    return k;
}

// Advances a key cursor past every key earlier than `time`; returns the new cursor.
int AdvanceCursor(const std::vector<MS3DKEY>& keys, int k, float time) {
    const int n = int(keys.size());
    if (k < 0) k = 0;
    while (k < n && time > keys[k].time) ++k;
    return k;
}

VECTOR3D KeyValue(const MS3DKEY& key) {
    return MakePoint(key.x, key.y, key.z);
}

VECTOR3D Lerp(VECTOR3D a, VECTOR3D b, float f) {
    return MakePoint(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f);
}

float Fraction(const MS3DKEY& before, const MS3DKEY& after, float time) {
    return (time - before.time) / (after.time - before.time);
}

// The cross-fade: from the pose held when the clip was set towards the clip's pose at its start.
void BlendJoint(const ANIMJOINT& a, BASICJOINT* b, float animTime, float blendFactor) {
    if (!a.rotationKeys.empty()) {
        const int k = TargetKey(a.rotationKeys, animTime);
        b->rotationQuat = QuatSlerp(&b->blendFromQuat, &a.keyQuats[k], blendFactor);
        b->rotationMatrix = QuatToRotationMatrix(b->rotationQuat);
    }
    if (!a.translationKeys.empty()) {
        const int k = TargetKey(a.translationKeys, animTime);
        b->translation = Lerp(b->blendFromTranslation, KeyValue(a.translationKeys[k]), blendFactor);
    }
}

void PlayTranslation(const ANIMJOINT& a, BASICJOINT* b, float animTime) {
    const std::vector<MS3DKEY>& keys = a.translationKeys;
    if (keys.empty()) return;  // keeps its current value
    const int n = int(keys.size());
    const int k = AdvanceCursor(keys, b->translationKey, animTime);
    b->translationKey = k;
    if (k == 0) {
        b->translation = KeyValue(keys[0]);
    } else if (k == n) {
        b->translation = KeyValue(keys[n - 1]);
    } else {
        b->translation = Lerp(KeyValue(keys[k - 1]), KeyValue(keys[k]),
                              Fraction(keys[k - 1], keys[k], animTime));
    }
}

void PlayRotation(const ANIMJOINT& a, BASICJOINT* b, float animTime) {
    const std::vector<MS3DKEY>& keys = a.rotationKeys;
    if (keys.empty()) return;  // keeps its current value
    const int n = int(keys.size());
    const int k = AdvanceCursor(keys, b->rotationKey, animTime);
    b->rotationKey = k;
    bool changed = true;
    if (k == 0) {
        // Holding before the first key: the matrix already holds it unless we came from elsewhere.
        changed = b->lastRotationKey != 0;
        if (changed) b->rotationQuat = a.keyQuats[0];
    } else if (k == n) {
        changed = k != b->lastRotationKey;
        if (changed) b->rotationQuat = a.keyQuats[n - 1];
    } else {
        const float f = Fraction(keys[k - 1], keys[k], animTime);
        b->rotationQuat = QuatSlerp(&a.keyQuats[k - 1], &a.keyQuats[k], f);
    }
    if (changed) b->rotationMatrix = QuatToRotationMatrix(b->rotationQuat);
    b->lastRotationKey = b->rotationKey;
}

bool HasKeys(const ANIMJOINT& a) {
    return !a.rotationKeys.empty() || !a.translationKeys.empty();
}

}  // namespace

void ONEMODEL::SetAnimation(double startFrame, double endFrame, double timeScaleIn, bool loopIn,
                            bool blend) {
    if (!animTemplate) return;
    const double fps = animTemplate->fps;
    startTime = float(startFrame * 1000.0 / fps);
    endTime = float(endFrame * 1000.0 / fps);
    timeScale = float(timeScaleIn);
    animTime = startTime;
    loop = loopIn;
    for (int i = 0; i < jointCount; ++i) {
        BASICJOINT& b = joints[i];
        b.translationKey = 0;
        b.rotationKey = 0;
        b.blendFromQuat = b.rotationQuat;
        b.blendFromTranslation = b.translation;
    }
    blending = blend;
    blendFactor = 0.0f;
}

void ONEMODEL::Animate(double dt) {
    if (!animTemplate || !joints) return;
    const int count = std::min<int>(jointCount, animTemplate->jointCount);
    if (blending) {
        blendFactor = float(blendFactor + dt * blendRate);
        if (blendFactor >= 1.0f) {
            blendFactor = 1.0f;
            blending = false;
        }
        for (int i = 0; i < count; ++i) {
            const ANIMJOINT& a = animTemplate->joints[i];
            if (HasKeys(a)) BlendJoint(a, &joints[i], animTime, blendFactor);
        }
        return;
    }

    if (animTime >= endTime) return;  // a finished clip holds its last pose
    animTime = float(animTime + timeScale * dt);
    if (animTime >= endTime) {
        if (loop) {
            animTime = startTime;
            for (int i = 0; i < jointCount; ++i)
                joints[i].translationKey = joints[i].rotationKey = 0;
        } else {
            animTime = endTime;
        }
    }
    for (int i = 0; i < count; ++i) {
        const ANIMJOINT& a = animTemplate->joints[i];
        if (!HasKeys(a)) continue;
        PlayTranslation(a, &joints[i], animTime);
        PlayRotation(a, &joints[i], animTime);
    }
}

void ONEMODEL::UpdateSkeleton() {
    if (!animTemplate || !joints) return;
    const int count = std::min<int>(jointCount, animTemplate->jointCount);
    for (int i = 0; i < count; ++i) {
        BASICJOINT& b = joints[i];
        MATRIX pose = b.rotationMatrix;
        pose.SetTranslation(b.translation);
        // Applied to a point, the animated transform acts first, then the bind transform.
        b.relative = MultiplyMatrix(animTemplate->joints[i].bindMatrix, pose);
        if (b.parent >= 0 && b.parent < count) {
            b.absolute = MultiplyMatrix(joints[b.parent].absolute, b.relative);
        } else {
            b.absolute = b.relative;
        }
    }
}

void ONEMODEL::RevertPoints(BASICJOINT* posed) {
    if (!posed) return;
    ForgetIndex();
    if (local_.size() == vertexCount) {
        RestoreLocalVertices();
        return;
    }
    for (uint32_t i = 0; i < vertexCount; ++i) {
        MODELVERTEX& v = vertices[i];
        if (v.jointIndex < 0 || v.jointIndex >= jointCount) continue;
        const MATRIX& a = posed[v.jointIndex].absolute;
        const VECTOR3D p = MatrixInverseRotatePoint(
            a,
            MatrixInverseTranslatePoint(a, MakePoint(v.position[0], v.position[1], v.position[2])));
        const VECTOR3D n =
            MatrixInverseRotatePoint(a, MakePoint(v.normal[0], v.normal[1], v.normal[2]));
        v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z;
        v.normal[0] = n.x, v.normal[1] = n.y, v.normal[2] = n.z;
    }
}

void ONEMODEL::UpdatePoints(BASICJOINT* posed) {
    if (!posed) return;
    ForgetIndex();
    // MatrixRotatePoint then MatrixTranslatePoint for the position and MatrixRotatePoint for the
    // normal, written out here so that the compiler keeps the joint's matrix in registers and
    // pairs the rows: the same double-precision operations in the same order, each result rounded
    // to float where those functions round it, so the pose is bit for bit theirs.
    const int joints = jointCount;
    for (uint32_t i = 0; i < vertexCount; ++i) {
        MODELVERTEX& v = vertices[i];
        const int j = v.jointIndex;
        if (j < 0 || j >= joints) continue;
        const double* m = posed[j].absolute.m;
        const double x = v.position[0], y = v.position[1], z = v.position[2];
        const float rx = float(m[0] * x + m[4] * y + m[8] * z);
        const float ry = float(m[1] * x + m[5] * y + m[9] * z);
        const float rz = float(m[2] * x + m[6] * y + m[10] * z);
        v.position[0] = float(double(rx) + m[12]);
        v.position[1] = float(double(ry) + m[13]);
        v.position[2] = float(double(rz) + m[14]);
        const double nx = v.normal[0], ny = v.normal[1], nz = v.normal[2];
        v.normal[0] = float(m[0] * nx + m[4] * ny + m[8] * nz);
        v.normal[1] = float(m[1] * nx + m[5] * ny + m[9] * nz);
        v.normal[2] = float(m[2] * nx + m[6] * ny + m[10] * nz);
    }
}
