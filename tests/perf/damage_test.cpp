// Redrawing only where the picture changed, over a back buffer that still holds an earlier frame,
// must give the frames that drawing them whole gives.
#define GL_GLEXT_PROTOTYPES
#include "scene/damage.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "scene/ground.h"
#include "scene/ssmain.h"
#include "scene_fixture.h"

namespace {

// 36 s of scene: the overview with the banner coming in (from 5 s, brought forward), tiling
// turned on and a new ground picture, then a shot following a cat (from 20 s), low enough for a
// while that far tiles lie wholly in the fog, then a dimming (from 24 s, brought forward) that
// soon covers the scene.
constexpr double kStep = 0.1;
constexpr int kFrames = 360;

// A 64 x 64 ground of coloured squares, so that any shift, scale or change of lighting of the
// ground shows in the pixels.
uint32_t PatternTexture(uint8_t tint) {
    std::vector<uint8_t> rgba(64 * 64 * 4);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = &rgba[(y * 64 + x) * 4];
            p[0] = uint8_t(((x / 8) + (y / 8)) % 2 == 0 ? 40 : 220);
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

// A swap chain of `count` back buffers drawn into in turn, as a driver reporting buffer ages has.
class BackBuffers {
  public:
    BackBuffers(int count, int width, int height) : width_(width), height_(height) {
        for (int i = 0; i < count; ++i) {
            GLuint framebuffer = 0, colour = 0, depth = 0;
            glGenFramebuffers(1, &framebuffer);
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            glGenRenderbuffers(1, &colour);
            glBindRenderbuffer(GL_RENDERBUFFER, colour);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                      colour);
            glGenRenderbuffers(1, &depth);
            glBindRenderbuffer(GL_RENDERBUFFER, depth);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                      depth);
            EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
            framebuffers_.push_back(framebuffer);
            renderbuffers_.push_back(colour);
            renderbuffers_.push_back(depth);
        }
    }
    ~BackBuffers() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(GLsizei(framebuffers_.size()), framebuffers_.data());
        glDeleteRenderbuffers(GLsizei(renderbuffers_.size()), renderbuffers_.data());
    }
    void Bind(int i) { glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[size_t(i)]); }
    std::vector<uint8_t> Read() const {
        std::vector<uint8_t> rgba(size_t(width_) * size_t(height_) * 4);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

  private:
    int width_, height_;
    std::vector<GLuint> framebuffers_, renderbuffers_;
};

struct Frames {
    std::vector<std::vector<uint8_t>> frames;
    int partialFrames = 0;       // frames redrawn in rectangles, not whole
    int64_t repairedPixels = 0;  // in those frames
};

// The same seeded scene over `chain` back buffers in turn, each frame told how old its buffer is;
// chain 0: whole frames into one buffer.
Frames DrawRun(const std::string& packs, int chain, int width, int height) {
    SETTINGS settings = TestSettings(3, 60);  // prints start fading within seconds
    settings.TILEBG = false;
    SSMAIN scene;
    InitialiseViewGL(width, height);
    std::srand(10);  // the shot at 20 s follows a cat
    EXPECT_TRUE(scene.Setup(false, width, height, &settings, packs.c_str()));
    const uint32_t first = PatternTexture(0);
    const uint32_t second = PatternTexture(0xFF);
    scene.groundTexture = first;
    scene.bannerTimer = 5.0f;
    scene.fadeTimer = 24.0f;
    BackBuffers buffers(std::max(chain, 1), width, height);
    Frames run;
    for (int i = 0; i < kFrames; ++i) {
        // Each changes every pixel.
        if (i == 100) settings.TILEBG = true;
        if (i == 150) scene.groundTexture = second;
        const int age = chain > 0 && i >= chain ? chain : 0;
        buffers.Bind(chain > 0 ? i % chain : 0);
        // The view clears a back buffer of undefined content; the scene clears what it redraws.
        if (age == 0) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene.backBufferAge = age;
        RunFrames(scene, 1, kStep);
        std::vector<PixelRect> rects;
        if (scene.damage.Repair(age, &rects)) {
            ++run.partialFrames;
            for (const PixelRect& r : rects) run.repairedPixels += r.Area();
        }
        run.frames.push_back(buffers.Read());
    }
    scene.Cleanup();  // deletes the second picture, the ground it holds
    GLuint name = first;
    glDeleteTextures(1, &name);
    return run;
}

// The largest difference of any channel of any pixel.
int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int largest = a.size() == b.size() ? 0 : 255;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    }
    return largest;
}

class DamageTest : public SceneTest {};

TEST_F(DamageTest, RepairedFramesEqualWholeFramesOverOneAndThreeBackBuffers) {
    constexpr int kW = 320, kH = 240;  // cats small against the frame, as on a screen
    const Frames whole = DrawRun(Packs(), 0, kW, kH);
    int moving = 0;
    for (int i = 1; i < kFrames; ++i) moving += whole.frames[i] != whole.frames[i - 1] ? 1 : 0;
    // Equal frames would prove nothing: the scene moves in every frame until the dimming covers it.
    EXPECT_GT(moving, kFrames / 2);
    EXPECT_EQ(whole.partialFrames, 0);

    for (const int chain : {1, 3}) {
        const Frames repaired = DrawRun(Packs(), chain, kW, kH);
        ASSERT_EQ(repaired.frames.size(), whole.frames.size());
        for (size_t i = 0; i < whole.frames.size(); ++i) {
            // Most frames are equal to the bit: only the others are searched for the largest step.
            if (repaired.frames[i] == whole.frames[i]) continue;
            ASSERT_LE(LargestDifference(repaired.frames[i], whole.frames[i]), 2)
                << "chain " << chain << ", frame " << i;
        }
        // The overview holds still for 20 s, and nothing shows through the full dimming: those
        // frames are repaired in small parts, or not at all.
        EXPECT_GT(repaired.partialFrames, kFrames / 5) << "chain " << chain;
        EXPECT_LT(repaired.repairedPixels, int64_t(repaired.partialFrames) * kW * kH / 4)
            << "chain " << chain;
    }
}

// The colour of every pixel (the window has no alpha).
std::vector<uint8_t> ReadColour(int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

TEST_F(DamageTest, TilesLeftOutInTheFogLookLikeTheClearedBackground) {
    const VECTOR3D bounds{22.0f, 0.0f, 16.5f};
    GroundFog fog;
    fog.on = fog.hiddenIsClear = true;
    fog.end = 5.5f * bounds.z;
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 4.0f * bounds.z);
    glFogf(GL_FOG_END, fog.end);
    const GLfloat black[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glFogfv(GL_FOG_COLOR, black);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    const uint32_t texture = PatternTexture(0);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, double(kWidth) / kHeight, 0.5, 3000.0);
    glMatrixMode(GL_MODELVIEW);
    size_t leftOut = 0;
    // Eyes and where they look: low over the ground, across it and along it with the near edge of
    // a tile ahead a little before the fog's end (90.75), and high above it.
    const double views[][6] = {{0.0, 6.0, 80.0, 0.0, 0.0, 0.0},
                               {-105.0, 30.0, 0.0, 0.0, 0.0, 0.0},
                               {0.0, 25.0, -70.0, 0.0, 0.0, 30.0},
                               {0.0, 60.0, 10.0, 0.0, 0.0, 0.0}};
    for (const auto& v : views) {
        glLoadIdentity();
        gluLookAt(v[0], v[1], v[2], v[3], v[4], v[5], 0.0, 1.0, 0.0);
        float modelview[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        const GroundPlan plan = PlanGround(bounds, true, modelview, fog);
        leftOut += 25 - plan.drawn.size();
        EXPECT_EQ(plan.allDrawn, plan.drawn.size() == 25);
        std::vector<uint8_t> frames[2];
        for (int planned = 0; planned < 2; ++planned) {
            glClear(GL_COLOR_BUFFER_BIT);
            glEnable(GL_FOG);
            DrawGroundQuads(bounds, planned ? plan.drawn : GroundQuadCentres(bounds, true));
            glDisable(GL_FOG);
            frames[planned] = ReadColour(kWidth, kHeight);
        }
        // A ground that drew nothing would prove nothing.
        EXPECT_NE(frames[0], std::vector<uint8_t>(frames[0].size(), 0));
        EXPECT_EQ(frames[0], frames[1]) << "eye at " << v[0] << ", " << v[1] << ", " << v[2];
    }
    // Low views see tiles far beyond the fog's end: leaving them out must be tried.
    EXPECT_GT(leftOut, 0u);
    GLuint name = texture;
    glDeleteTextures(1, &name);
}

bool Inside(const PixelRect& in, const PixelRect& out) {
    return in.x >= out.x && in.y >= out.y && in.x + in.width <= out.x + out.width &&
           in.y + in.height <= out.y + out.height;
}

TEST(MergeRects, EveryRectangleStaysCoveredByAtMostTheAllowedNumber) {
    const std::vector<PixelRect> scattered = {{0, 0, 10, 10},   {5, 5, 10, 10},    {100, 0, 10, 10},
                                              {0, 100, 10, 10}, {200, 200, 4, 4},  {50, 50, 0, 10},
                                              {101, 2, 3, 3},   {300, 300, 20, 20}};
    struct Case {
        size_t most;
        int64_t slack;
        size_t expected;  // rectangles left
    };
    // Without slack only a rectangle inside another joins it (the seventh, in the third; the
    // first two overlap but their union wastes pixels); a generous slack joins all; a small
    // `most` forces merging.
    for (const Case c : {Case{10, 1, 6}, Case{10, int64_t(1) << 40, 1}, Case{2, 1, 2}}) {
        const std::vector<PixelRect> merged = MergeRects(scattered, c.most, c.slack);
        EXPECT_EQ(merged.size(), c.expected) << "most " << c.most << " slack " << c.slack;
        for (const PixelRect& r : scattered) {
            if (r.Empty()) continue;
            EXPECT_TRUE(std::any_of(merged.begin(), merged.end(),
                                    [&](const PixelRect& m) { return Inside(r, m); }))
                << r.x << "," << r.y << " lost with most " << c.most;
        }
    }
}

}  // namespace
