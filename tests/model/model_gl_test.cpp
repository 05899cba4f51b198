#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "model_fixtures.h"
#include "platform/headless_gl.h"

using namespace model_fixtures;

namespace {

class ModelGL : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(64, 64)) << gl_.Error();
        glViewport(0, 0, 64, 64);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // The red channel at window (x, y), y counted from the bottom.
    int Red(int x, int y) {
        gl_.Finish();
        return gl_.ReadPixels()[4 * ((63 - y) * 64 + x)];
    }
    HeadlessGL gl_;
};

// The sample model shrunk into the view volume.
MS3D SmallSample() {
    MS3D m = SampleModel();
    m.Scale(0.5f);
    return m;
}

}  // namespace

TEST_F(ModelGL, DrawGroupDrawsItsSliceWithItsMaterial) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    // A ramp texture shows which s each pixel got.
    std::vector<uint8_t> ramp(256 * 4, 255);
    for (int i = 0; i < 256; ++i) ramp[4 * i] = uint8_t(i);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    MS3D model = SmallSample();
    model.groups[0].materialIndex = -1;  // drawn untextured
    Built built(model, texture);
    ASSERT_TRUE(built.ok);
    ONEMODEL& m = built.instance;
    built.Pose();  // the buffer holds model-space positions
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(MODELVERTEX), m.vertices[0].position);
    glTexCoordPointer(2, GL_FLOAT, sizeof(MODELVERTEX), &m.vertices[0].s);
    glEnable(GL_TEXTURE_2D);
    // Group 0 has no material: white where the ramp would be dark, texturing on afterwards.
    m.DrawGroup(0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(Red(35, 35), 255);
    // Group 1 (one triangle over window (32, 32), (32, 48), (48, 48)) is sphere-mapped: texture
    // generation (GL's default eye-linear planes, s = eye x) replaces the buffer's s while it
    // draws, and is off again afterwards. It binds its own material's texture.
    glClear(GL_COLOR_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, 0);
    m.DrawGroup(1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T));
    for (const int x : {34, 37, 40}) EXPECT_NEAR(Red(x, 44), ((x + 0.5) / 32.0 - 1.0) * 256, 1.5);
    EXPECT_EQ(Red(44, 36), 0);  // outside its slice
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // m deletes the texture with its materials.
}
