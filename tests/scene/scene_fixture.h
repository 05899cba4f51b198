// Small packs of our own for the scene tests, and a headless context to draw them in.
//
// The test cat has 68 joints: a root and 67 children. The four paw joints the clip table names
// (34, 46, 57, 67) move up and down over the whole timeline (every 10 frames a paw is lifted
// 2 model units and set down again), so cats lay footprints in every clip. Its body is a box on
// the root joint. The toy is a box without joints.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assets/pack_layout.h"
#include "host/gl_state.h"
#include "host/settings.h"
#include "math/vector3d.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"

class DOGCONTROL;
class SSMAIN;

struct TestPackOptions {
    bool scenePack = true;
    int sceneLumps = pack_layout::kSceneSlotCount;  // pictures in the scene pack
    bool catPack = true;
    bool toyPack = true;
};

// Colour of scene pack picture i (solid, 8 x 8), and of the ground picture.
void ScenePictureColour(int i, uint8_t rgb[3]);
void GroundColour(uint8_t rgb[3]);

// Removes `folder` and all it holds when the test program ends.
void RemoveAtExit(const std::string& folder);

// Writes the packs into a fresh folder and returns it, ending in "/"; the folder goes when the
// test program ends.
std::string WriteTestPacks(const TestPackOptions& options = {});

// Settings as a first run has them, with `cats` cats.
SETTINGS TestSettings(int cats = 3, int footprints = 1000);

// A DOGCONTROL measured for the scene projection at w x h and set up from `folder`; needs a
// current context. False when its Setup fails.
bool SetUpPopulation(DOGCONTROL& dc, SETTINGS& settings, const std::string& folder, int w = 160,
                     int h = 120);

// Runs `frames` frames of `dt` through Update and Draw.
void RunFrames(SSMAIN& scene, int frames, double dt);

// Expects v to be (x, y, z) within `tolerance`.
void ExpectVector(const VECTOR3D& v, float x, float y, float z, float tolerance = 0.0f);

// The RGBA pixel at (x, y), y counted from the top.
struct Pixel {
    uint8_t r, g, b, a;
};
Pixel PixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y);

// A test with a current headless context of 160 x 120, the picture decoder installed, the view's
// GL state, and a complete set of test packs (written once per test program).
class SceneTest : public ::testing::Test {
  protected:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;

    void SetUp() override;
    void TearDown() override;
    // The folder of the complete packs.
    static const std::string& Packs();

    HeadlessGL gl;
    StbImageDecoder decoder;
};
