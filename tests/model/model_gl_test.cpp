#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/one_model.h"
#include "model_fixtures.h"
#include "platform/headless_gl.h"

using namespace model_fixtures;

namespace {

// One vertex of GL_3D_COLOR_TEXTURE feedback: window x, y, z, RGBA, texture s, t, r, q.
struct FedVertex {
    float x, y, z, colour[4], s, t, r, q;
};
using Polygons = std::vector<std::vector<FedVertex>>;

// Triangles that reached the rasteriser, captured with feedback rather than drawn.
template <typename Draw>
Polygons Feedback(Draw draw) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint n = glRenderMode(GL_RENDER);
    Polygons polygons;
    for (GLint i = 0; i < n;) {
        EXPECT_EQ(GLint(buffer[i++]), GL_POLYGON_TOKEN);
        std::vector<FedVertex> polygon(size_t(buffer[i++]));
        for (FedVertex& v : polygon) {
            std::memcpy(&v, &buffer[i], sizeof v);
            i += sizeof v / sizeof(float);
        }
        polygons.push_back(polygon);
    }
    return polygons;
}

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

GLuint Bound() {
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return GLuint(bound);
}

// Window coordinates of a model-space point under identity matrices on a 64 x 64 viewport.
float Window(float c) {
    return (c + 1.0f) * 32.0f;
}

}  // namespace

TEST_F(ModelGL, RenderSendsEveryGroupsTrianglesWithFlippedT) {
    MS3D m = SmallSample();
    const Polygons polygons = Feedback([&] { m.Render(); });
    ASSERT_EQ(polygons.size(), 3u);
    // In group order: triangles 0 and 1 of group 0, then triangle 2 of group 1.
    for (int p = 0; p < 3; ++p)
        for (int k = 0; k < 3; ++k) {
            const MS3DTRIANGLE& tri = m.triangles[p];
            const float* at = m.vertices[tri.vertexIndices[k]].position;
            EXPECT_NEAR(polygons[p][k].x, Window(at[0]), 1e-3f);
            EXPECT_NEAR(polygons[p][k].y, Window(at[1]), 1e-3f);
            EXPECT_NEAR(polygons[p][k].s, tri.s[k], 1e-6f);
            EXPECT_NEAR(polygons[p][k].t, 1.0f - tri.t[k], 1e-6f);
        }
    // A triangle in two groups is sent twice; an empty group or none at all sends nothing.
    m.groups.push_back(m.groups[1]);
    m.groups.push_back(MS3DGROUP());
    SyncMS3DCounts(&m);
    EXPECT_EQ(Feedback([&] { m.Render(); }).size(), 4u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));  // every begin met its end
    m.groups.clear();
    SyncMS3DCounts(&m);
    EXPECT_TRUE(Feedback([&] { m.Render(); }).empty());
}

TEST_F(ModelGL, DrawGroupDrawsItsSliceWithItsMaterial) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    // A ramp texture shows which s each pixel got.
    std::vector<uint8_t> ramp(256 * 4, 255);
    for (int i = 0; i < 256; ++i) ramp[4 * i] = uint8_t(i);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
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
    EXPECT_TRUE(Feedback([&] {
                    m.DrawGroup(-1);
                    m.DrawGroup(m.groupCount);
                }).empty());
    EXPECT_EQ(Bound(), 0u);  // out-of-range groups bound nothing either

    // Group 0 has no material: white where the ramp would be dark, texturing on afterwards.
    const Polygons plain = Feedback([&] { m.DrawGroup(0); });
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_NEAR(plain[1][0].x, Window(model.vertices[1].position[0]), 1e-3f);  // triangle 1
    glBindTexture(GL_TEXTURE_2D, texture);
    m.DrawGroup(0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(Red(35, 35), 255);

    // Group 1 is sphere-mapped: texture generation (GL's default eye-linear planes, s = eye x)
    // replaces the buffer's s while it draws, and is off again afterwards.
    const Polygons mapped = Feedback([&] { m.DrawGroup(1); });
    ASSERT_EQ(mapped.size(), 1u);
    EXPECT_NEAR(mapped[0][0].y, Window(model.vertices[2].position[1]), 1e-3f);  // from its slice
    EXPECT_EQ(Bound(), texture);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T));
    m.DrawGroup(1);
    // The triangle spans window (32, 32), (32, 48), (48, 48); these pixels lie inside it.
    for (const int x : {34, 37, 40}) EXPECT_NEAR(Red(x, 44), ((x + 0.5) / 32.0 - 1.0) * 256, 1.5);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // m deletes the texture with its materials.
}

TEST_F(ModelGL, DrawPlacesTheInstanceAndLeavesTheArraysOff) {
    Built built(SmallSample());
    ASSERT_TRUE(built.ok);
    ONEMODEL& m = built.instance;
    built.Pose();
    m.position = MakePoint(0.25f, 0, 0);
    const Polygons polygons = Feedback([&] { m.Draw(); });
    ASSERT_EQ(polygons.size(), size_t(m.triangleCount));
    // Half a turn about y, then the placement: x' = 0.25 - x.
    const float* p = m.vertices[m.indices[0]].position;
    EXPECT_NEAR(polygons[0][0].x, Window(0.25f - p[0]), 1e-3f);
    EXPECT_NEAR(polygons[0][0].y, Window(p[1]), 1e-3f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_NORMAL_ARRAY) ||
                 glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint depth = -1;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}
