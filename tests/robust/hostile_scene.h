// Helpers of the robustness tests: the shipped scene set up from a settings record (and a folder
// of packs) and run for some frames in the headless context, with what it showed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/settings.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"
#include "tests/support/test_files.h"

using test_files::ScratchFolder;

// What a run of the scene showed.
struct SceneRun {
    int cats = 0;           // cats the population made
    int catsPlaced = 0;     // cats that entered the ground
    int footprintRing = 0;  // prints the ring keeps
    long footprintsLaid = 0;
    float dogSize = 0.0f;
    bool groundIsTexture = false;  // the ground's name is a live GL texture
    int cornerRed = 0;             // the red at a corner of the last frame
    std::string shown;  // cats placed, which wear a coat, whether the toy and prints show
    std::vector<std::string> messages;  // what the user was told
};

// Sets the scene up with `settings`, the packs in `packs` (the build's resources when empty) and
// `ground` as its ground texture (0 for none), and runs `frames` frames of 1/35 s at 64 x 48. A
// scene that cannot be set up, or anything non-finite or out of place on the way, fails the test.
SceneRun RunScene(SETTINGS settings, unsigned ground, int frames, std::string packs = "");

// Tests of the shipped scene: one headless context of 64 x 48 for the whole program, and the
// picture decoder (the scene pack's pictures are JPEG).
class ShippedSceneTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static HeadlessGL gl;
        static const bool created = gl.Create(64, 48);
        ASSERT_TRUE(created) << gl.Error();
        SetImageDecoder(&decoder_);
    }
    static inline StbImageDecoder decoder_;
};
