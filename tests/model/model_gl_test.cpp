#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstddef>
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
    float x, y, z;
    float colour[4];
    float s, t, r, q;
};

// Triangles that reached the rasteriser, captured with feedback rather than drawn.
class Feedback {
  public:
    Feedback() : buffer_(1 << 16) {
        glFeedbackBuffer(GLsizei(buffer_.size()), GL_3D_COLOR_TEXTURE, buffer_.data());
        glRenderMode(GL_FEEDBACK);
    }
    std::vector<std::vector<FedVertex>> Finish() {
        const GLint n = glRenderMode(GL_RENDER);
        std::vector<std::vector<FedVertex>> polygons;
        for (GLint i = 0; i < n;) {
            const GLint token = GLint(buffer_[i++]);
            if (token != GL_POLYGON_TOKEN) {
                ADD_FAILURE() << "unexpected feedback token " << token;
                break;
            }
            const int count = int(buffer_[i++]);
            std::vector<FedVertex> polygon(count);
            for (FedVertex& v : polygon) {
                std::memcpy(&v, &buffer_[i], sizeof v);
                i += sizeof v / sizeof(float);
            }
            polygons.push_back(polygon);
        }
        return polygons;
    }

  private:
    std::vector<GLfloat> buffer_;
};

class ModelGL : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(64, 64)) << gl_.Error();
        glViewport(0, 0, 64, 64);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    HeadlessGL gl_;
};

// The sample model shrunk into the view volume.
MS3D SmallSample() {
    MS3D m = SampleModel();
    m.Scale(0.5f);
    return m;
}

std::vector<std::vector<FedVertex>> RenderFeedback(const MS3D& m) {
    Feedback feedback;
    m.Render();
    return feedback.Finish();
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
    m.triangles[0].t[1] = 0.2f;
    const auto polygons = RenderFeedback(m);
    ASSERT_EQ(polygons.size(), 3u);
    // In group order: triangles 0 and 1 of group 0, then triangle 2 of group 1.
    const MS3DTRIANGLE& first = m.triangles[0];
    for (int k = 0; k < 3; ++k) {
        const float* p = m.vertices[first.vertexIndices[k]].position;
        EXPECT_NEAR(polygons[0][k].x, Window(p[0]), 1e-3f);
        EXPECT_NEAR(polygons[0][k].y, Window(p[1]), 1e-3f);
        EXPECT_NEAR(polygons[0][k].s, first.s[k], 1e-6f);
        EXPECT_NEAR(polygons[0][k].t, 1.0f - first.t[k], 1e-6f);
    }
    EXPECT_NEAR(polygons[2][0].x, Window(m.vertices[m.triangles[2].vertexIndices[0]].position[0]),
                1e-3f);

    // A triangle in two groups is sent twice; an empty group or none at all sends nothing.
    MS3D other = m;
    other.groups.push_back(other.groups[1]);
    other.groups.push_back(MS3DGROUP());  // an empty group
    SyncMS3DCounts(&other);
    EXPECT_EQ(RenderFeedback(other).size(), 4u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));  // every begin met its end
    other.groups.clear();
    SyncMS3DCounts(&other);
    EXPECT_TRUE(RenderFeedback(other).empty());
}

TEST_F(ModelGL, RenderRecordedInADisplayListDrawsTheModel) {
    const MS3D m = SmallSample();
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    m.Render();
    glEndList();
    glColor3f(1, 0, 0);
    glCallList(list);
    glDeleteLists(list, 1);
    gl_.Finish();
    const std::vector<uint8_t> pixels = gl_.ReadPixels();
    const auto red = [&](int x, int yFromTop) { return pixels[4 * (yFromTop * 64 + x)]; };
    // Triangle 0 covers the corner near the origin, (0.1, 0.1) in model units; the far corner
    // of the view stays clear.
    EXPECT_EQ(red(int(Window(0.1f)), 63 - int(Window(0.1f))), 255);
    EXPECT_EQ(red(2, 2), 0);
}

TEST_F(ModelGL, DrawGroupDrawsItsSliceWithItsMaterial) {
    GLuint textures[2];
    glGenTextures(2, textures);
    Built built(SmallSample(), textures[0]);
    ASSERT_TRUE(built.ok);
    const MS3D& model = built.model;
    ONEMODEL& m = built.instance;
    m.materials[1].texID = textures[1];
    built.Pose();  // the buffer holds model-space positions

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(MODELVERTEX), m.vertices[0].position);
    glTexCoordPointer(2, GL_FLOAT, sizeof(MODELVERTEX), &m.vertices[0].s);

    {
        Feedback feedback;
        m.DrawGroup(-1);
        m.DrawGroup(m.groupCount);
        EXPECT_TRUE(feedback.Finish().empty());
    }
    EXPECT_EQ(Bound(), 0u);  // out-of-range groups bound nothing either

    Feedback group0;
    m.DrawGroup(0);
    const auto plain = group0.Finish();
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(Bound(), textures[0]);
    // Group 0 starts at index 0: its first corner is file triangle 0's first corner.
    EXPECT_NEAR(plain[0][0].t, 1.0f - model.triangles[0].t[0], 1e-6f);
    EXPECT_NEAR(plain[0][1].s, model.triangles[0].s[1], 1e-6f);

    // Group 1 is sphere-mapped: texture generation (GL's default eye-linear planes, s = eye x)
    // replaces the buffer's s while it draws, and is off again afterwards. A ramp texture shows
    // which s each pixel got.
    std::vector<uint8_t> ramp(256 * 4, 255);
    for (int i = 0; i < 256; ++i) ramp[4 * i] = uint8_t(i);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_TEXTURE_2D);
    Feedback group1;
    m.DrawGroup(1);
    const auto mapped = group1.Finish();
    ASSERT_EQ(mapped.size(), 1u);
    EXPECT_EQ(Bound(), textures[1]);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    m.DrawGroup(1);
    gl_.Finish();
    const std::vector<uint8_t> pixels = gl_.ReadPixels();
    // The triangle spans window (32, 32), (32, 48), (48, 48); these pixels lie inside it.
    for (const int x : {34, 37, 40}) {
        const int y = 44;
        const double eyeX = (x + 0.5) / 32.0 - 1.0;
        const int red = pixels[4 * ((63 - y) * 64 + x)];
        EXPECT_NEAR(red, eyeX * 256.0, 1.5) << x;
    }
    // Its first corner comes from the group's first index onwards.
    EXPECT_NEAR(mapped[0][0].x, Window(m.vertices[m.indices[m.groups[1].firstIndex]].position[0]),
                1e-3f);

    // A model whose group has no material (-1) sets up, and that group is drawn untextured
    // (white where the ramp would be dark) while texturing stays on for what follows.
    MS3D bare = SmallSample();
    bare.groups[0].materialIndex = -1;
    Built untextured(bare, textures[1]);
    ASSERT_TRUE(untextured.ok);
    untextured.Pose();
    ONEMODEL& u = untextured.instance;
    glVertexPointer(3, GL_FLOAT, sizeof(MODELVERTEX), u.vertices[0].position);
    glTexCoordPointer(2, GL_FLOAT, sizeof(MODELVERTEX), &u.vertices[0].s);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    u.DrawGroup(0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    gl_.Finish();
    EXPECT_EQ(gl_.ReadPixels()[4 * ((63 - 35) * 64 + 35)], 255);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // m deletes the two textures with its materials.
}

TEST_F(ModelGL, DrawPlacesTheInstanceAndLeavesTheArraysOff) {
    Built built(SmallSample());
    ASSERT_TRUE(built.ok);
    ONEMODEL& m = built.instance;
    built.Pose();
    m.position = MakePoint(0.25f, 0, 0);
    Feedback feedback;
    m.Draw();
    const auto polygons = feedback.Finish();
    ASSERT_EQ(polygons.size(), size_t(m.triangleCount));
    // Half a turn about Y, then the placement: x' = 0.25 - x.
    const float* p = m.vertices[m.indices[0]].position;
    EXPECT_NEAR(polygons[0][0].x, Window(0.25f - p[0]), 1e-3f);
    EXPECT_NEAR(polygons[0][0].y, Window(p[1]), 1e-3f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    GLint depth = -1;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}
