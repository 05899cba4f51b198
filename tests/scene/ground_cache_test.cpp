// The ground copied back while the view holds still must give exactly the frames that drawing
// it every time gives.
#include "scene/ground_cache.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "cats/dog_control.h"
#include "scene/ssmain.h"
#include "scene_fixture.h"

namespace {

constexpr double kStep = 0.1;  // long steps: a minute of scene in 600 frames

// A 64 x 64 ground of coloured squares, so that any shift, scale or change of lighting of the
// ground shows in the pixels.
uint32_t PatternTexture(uint8_t tint) {
    std::vector<uint8_t> rgba(64 * 64 * 4);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = &rgba[(y * 64 + x) * 4];
            const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
            p[0] = uint8_t(dark ? 40 : 220);
            p[1] = uint8_t(x * 4);
            p[2] = uint8_t(y * 4 ^ tint);
            p[3] = 255;
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return name;
}

class GroundCacheTest : public SceneTest {
  protected:
    // Every frame of `frames` steps of a scene seeded with 11, with or without the copy.
    std::vector<std::vector<uint8_t>> Frames(bool cached, int frames, int64_t* restored,
                                             bool tiled = false) {
        SETTINGS settings = TestSettings(3);
        settings.TILEBG = tiled;
        SSMAIN scene;
        scene.groundCache.enabled = cached;
        // A scene's clean-up turns off state the view sets up: start each run alike.
        InitialiseViewGL(kWidth, kHeight);
        std::srand(11);
        EXPECT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
        scene.groundTexture = PatternTexture(0);
        std::vector<std::vector<uint8_t>> pictures;
        for (int i = 0; i < frames; ++i) {
            RunFrames(scene, 1, kStep);
            gl.Finish();
            pictures.push_back(gl.ReadPixels());
        }
        *restored = scene.groundCache.restored;
        scene.Cleanup();
        return pictures;
    }
};

// Index of the first frame that differs, or -1.
int FirstDifference(const std::vector<std::vector<uint8_t>>& a,
                    const std::vector<std::vector<uint8_t>>& b) {
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return int(i);
    }
    return -1;
}

TEST_F(GroundCacheTest, CopiedGroundGivesTheSameFramesThroughOverviewAndShots) {
    for (const bool tiled : {false, true}) {
        int64_t restored = 0, drawnRestored = 0;
        const auto cached = Frames(true, 600, &restored, tiled);
        const auto drawn = Frames(false, 600, &drawnRestored, tiled);
        EXPECT_EQ(FirstDifference(cached, drawn), -1) << "tiled " << tiled;
        // The first 20 s are the still overview: most of those frames reuse the copy; the
        // shots that follow move the camera and draw the ground again.
        EXPECT_GT(restored, 150) << "tiled " << tiled;
        EXPECT_LT(restored, 600) << "tiled " << tiled;
        EXPECT_EQ(drawnRestored, 0);
    }
}

// Another picture, another size, another light: each is drawn, and only a ground equal to the
// saved one reuses it. Run with and without the copy, the frames must be the same.
struct Script {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<int64_t> restoredAfterStep;
    int64_t stored = 0;
};

Script RunScript(HeadlessGL& gl, const std::string& packs, bool cached, int width, int height) {
    Script out;
    SETTINGS settings = TestSettings(1);
    SSMAIN scene;
    scene.groundCache.enabled = cached;
    InitialiseViewGL(width, height);
    std::srand(5);
    EXPECT_TRUE(scene.Setup(false, width, height, &settings, packs.c_str()));
    const uint32_t first = PatternTexture(0);
    const uint32_t second = PatternTexture(0xFF);
    auto frames = [&](int n) {
        for (int i = 0; i < n; ++i) {
            RunFrames(scene, 1, kStep);
            gl.Finish();
            out.frames.push_back(gl.ReadPixels());
        }
        out.restoredAfterStep.push_back(scene.groundCache.restored);
    };
    const GLfloat dim[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    scene.groundTexture = first;
    frames(4);  // drawn, drawn and copied, copied back twice
    scene.groundTexture = second;
    frames(1);  // another picture: drawn
    scene.groundTexture = first;
    frames(2);  // the first picture again: the copy still fits
    scene.SetSize(width / 2, height / 2);
    frames(1);  // a smaller view: drawn
    scene.SetSize(width, height);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, dim);
    frames(1);  // a dimmer light: drawn
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    scene.groundCache.Invalidate();
    frames(1);  // a forgotten copy is not used
    out.stored = scene.groundCache.stored;
    scene.groundTexture = second;
    scene.Cleanup();              // frees the second picture and the copy
    scene.groundCache.Cleanup();  // a second clean-up is harmless
    GLuint name = first;
    glDeleteTextures(1, &name);
    return out;
}

TEST_F(GroundCacheTest, ChangesOfPictureSizeAndLightAreNotCoveredByAnOldCopy) {
    const Script cached = RunScript(gl, Packs(), true, kWidth, kHeight);
    const Script drawn = RunScript(gl, Packs(), false, kWidth, kHeight);
    EXPECT_EQ(FirstDifference(cached.frames, drawn.frames), -1);
    EXPECT_EQ(cached.restoredAfterStep, (std::vector<int64_t>{2, 2, 4, 4, 4, 4}));
    EXPECT_EQ(cached.stored, 1);
    EXPECT_EQ(drawn.restoredAfterStep, (std::vector<int64_t>{0, 0, 0, 0, 0, 0}));
    // The steps change the picture: equal frames would prove nothing.
    EXPECT_NE(drawn.frames[3], drawn.frames[4]);
    EXPECT_NE(drawn.frames[6], drawn.frames[8]);
}

TEST_F(GroundCacheTest, ScissoredFrameIsNeverCopied) {
    SETTINGS settings = TestSettings(0);
    SSMAIN scene;
    std::srand(11);
    ASSERT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, Packs().c_str()));
    scene.groundTexture = PatternTexture(0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, kWidth / 2, kHeight);
    RunFrames(scene, 5, kStep);
    glDisable(GL_SCISSOR_TEST);
    EXPECT_EQ(scene.groundCache.stored, 0);
    EXPECT_EQ(scene.groundCache.restored, 0);
    scene.Cleanup();
}

}  // namespace
