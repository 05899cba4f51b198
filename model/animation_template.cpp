#include "model/animation_template.h"

#include <new>

#include "math/errors.h"
#include "model/ms3d.h"

namespace {

// Key angles are converted with this single-precision constant, as the keys always were.
constexpr float kKeyDegreesPerRadian = 57.29578f;

void CopyKeys(const MS3DJOINT& file, ANIMJOINT* joint) {
    joint->rotationKeyCount = file.rotationKeyCount;
    joint->translationKeyCount = file.translationKeyCount;
    joint->rotationKeys = file.rotationKeys;
    joint->translationKeys = file.translationKeys;
    joint->keyQuats.assign(joint->rotationKeys.size(), QUAT());
    for (size_t k = 0; k < joint->rotationKeys.size(); ++k) {
        MS3DKEY& key = joint->rotationKeys[k];
        joint->keyQuats[k] =
            RotationToQuat(MakePoint(key.x * kKeyDegreesPerRadian, key.y * kKeyDegreesPerRadian,
                                     key.z * kKeyDegreesPerRadian));
        key.time *= 1000.0f;
    }
    for (MS3DKEY& key : joint->translationKeys) key.time *= 1000.0f;
}

}  // namespace

bool ANIMATIONTEMPLATE::Setup(const MS3D* model) {
    jointCount = model->jointCount;
    totalFrames = model->totalFrames;
    fps = model->fps;
    totalTime = model->totalTime;
    joints.clear();
    if (model->skeleton.size() != model->joints.size() ||
        model->joints.size() != size_t(model->jointCount)) {
        return false;
    }
    try {
        joints.resize(jointCount);
    } catch (const std::bad_alloc&) {
        ERRORCLOSE("Unable to allocate memory!");
        return false;
    }
    for (int i = 0; i < jointCount; ++i) {
        const SKELETON_JOINT& bind = model->skeleton[i];
        ANIMJOINT& joint = joints[i];
        joint.flags = bind.flags;
        joint.parent = bind.parent;
        joint.relative = bind.relative;
        joint.absolute = bind.absolute;
        joint.rotation = bind.rotation;
        joint.position = bind.position;
        joint.bindQuat = RotationToQuat(joint.rotation);
        joint.bindMatrix = QuatToRotationMatrix(joint.bindQuat);
        joint.bindMatrix.SetTranslation(joint.position);
        CopyKeys(model->joints[i], &joint);
    }
    return true;
}
