// The art as the program generates it, read back through the engine's own loaders.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "cats/dog_anims.h"
#include "math/vector3d.h"
#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/one_model.h"

namespace generated_art {

// The build's resources folder, which the build fills by running velmora-packgen.
const std::string& Folder();
// Runs the generator into a new folder; empty string when the run failed.
std::string RunGenerator();

// The cat model as the cats load it: scaled to the default size (0.25 model units per world
// unit), through its skeleton set-up, animation template and one model instance.
struct Cat {
    MS3D bind;  // scaled, before the skeleton set-up: vertices in model space
    MS3D model;
    ANIMATIONTEMPLATE animation;
    ONEMODEL instance;
};
// Null when the model does not load; loaded once and shared.
Cat* LoadedCat();

// Tests over the loaded cat: they fail at once when it does not load.
class CatTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(cat = LoadedCat(), nullptr) << "the cat model does not load";
    }
    Cat* cat = nullptr;
};

// The four paw joints of the instance in world space, the cat standing at the origin facing +z
// (the model is drawn turned half round about y).
std::array<VECTOR3D, 4> Paws(const ONEMODEL& cat);
// Evaluates the clip at `seconds` after its start (held at its end) without any blend; returns
// every joint's origin in world space, for comparing two poses.
std::vector<VECTOR3D> PoseAt(ONEMODEL& cat, int clip, double seconds);
double ClipSeconds(int clip);

}  // namespace generated_art
