// Helpers of the hostile-settings and hostile-picture tests: a preferences file written as a user
// (or a damaged disk) might leave it, loaded through the real store and loader, and the shipped
// scene set up from the loaded record and run for some frames in the headless context.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/settings.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"
#include "tests/support/test_files.h"

using test_files::ScratchFolder;

// Writes a preferences file of the current version holding `values` (key, raw text), then loads
// it with KeyFileStore and LoadSettings.
SETTINGS LoadStoredValues(const std::string& file,
                          const std::vector<std::pair<std::string, std::string>>& values);

// What a run of the scene showed.
struct SceneRun {
    bool setUp = false;
    int cats = 0;           // cats the population made
    int catsPlaced = 0;     // cats that entered the ground
    int footprintRing = 0;  // prints the ring keeps
    long footprintsLaid = 0;
    float dogSize = 0.0f;
    unsigned groundTexture = 0;
    bool groundIsTexture = false;       // the ground's name is a live GL texture
    std::vector<std::string> problems;  // anything non-finite or out of place, one line each
};

// Sets the shipped scene up (packs from the build's resources) with `settings` and `ground` as
// its ground texture (0 for none), and runs `frames` frames of 1/35 s at 64 x 48.
SceneRun RunScene(SETTINGS settings, unsigned ground, int frames);

// The shipped fallback picture.
std::string FallbackPicture();

// Tests of the shipped scene: one headless context of 64 x 48 and the picture decoder (the scene
// pack's pictures are JPEG) for the whole suite.
class ShippedSceneTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        gl_ = std::make_unique<HeadlessGL>();
        ASSERT_TRUE(gl_->Create(64, 48)) << gl_->Error();
        SetImageDecoder(&decoder_);
    }
    static void TearDownTestSuite() {
        SetImageDecoder(nullptr);
        gl_.reset();
    }
    static inline std::unique_ptr<HeadlessGL> gl_;
    static inline StbImageDecoder decoder_;
};
