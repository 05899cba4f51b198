// The read-only animation data of one model, shared by every instance of it: per joint the parent
// link, the bind transform as a ready matrix, and the keys in milliseconds with one precomputed
// quaternion per rotation key, so that posing needs no trigonometry for the keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/matrix.h"
#include "math/quat.h"
#include "model/skeleton.h"

class MS3D;

struct ANIMJOINT : SKELETON_JOINT {
    std::vector<QUAT> keyQuats;  // one per rotation key, in key order
    QUAT bindQuat;               // the bind rotation
    MATRIX bindMatrix;           // bind rotation with the bind position as translation
};

class ANIMATIONTEMPLATE {
  public:
    int32_t jointCount = 0;
    std::vector<ANIMJOINT> joints;
    int32_t totalFrames = 0;
    float fps = 0.0f;
    float totalTime = 0.0f;  // milliseconds

    // Fills the template from a model on which InitialSetup has run. False (and no joints) when
    // the model has joints but no skeleton, or the joint array cannot be obtained ("Unable to
    // allocate memory!" through ERRORCLOSE); instances must not be set up from such a template.
    bool Setup(const MS3D* model);

    // Whether every joint is present, so that instances may be set up from the template.
    bool Complete() const { return jointCount >= 0 && joints.size() == size_t(jointCount); }
};
