#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/image_decoder.h"
#include "host/velmora_view.h"
#include "platform/headless_gl.h"
#include "tests/host_view/picture_fakes.h"

namespace {

// A surface drawing into the headless context, counting presented frames.
class FakeSurface : public GLSurface {
  public:
    FakeSurface(HeadlessGL& gl, ScreenRect frame) : gl_(gl), frame_(frame) {}
    bool MakeCurrent() override { return gl_.MakeCurrent(); }
    void Present() override {
        gl_.Finish();
        ++presented;
        lastFrame = gl_.ReadPixels();
    }
    int Width() const override { return width; }
    int Height() const override { return height; }
    ScreenRect Frame() const override { return frame_; }

    int width = 64;
    int height = 48;
    int presented = 0;
    std::vector<uint8_t> lastFrame;

  private:
    HeadlessGL& gl_;
    ScreenRect frame_;
};

class FakeScreens : public Screens {
  public:
    std::vector<ScreenInfo> List() override { return screens; }
    std::vector<ScreenInfo> screens = {{0, {0, 0, 1920, 1080}, true, "DP-1"},
                                       {1, {1920, 0, 1280, 1024}, false, "HDMI-1"}};
};

class FakeClock : public Clock {
  public:
    double Now() override { return now; }
    uint32_t WallSeconds() override { return wall; }
    double now = 1000.0;
    uint32_t wall = 1234567;
};

struct SceneLog {
    int setups = 0;
    std::string setup;  // the last set-up's arguments
    SETTINGS* setupSettings = nullptr;
    int firstRandAfterSeed = -1;
    std::vector<std::pair<int, int>> sizes;
    std::vector<double> updates;
    int draws = 0;
    int cleanups = 0;
    std::vector<uint32_t> groundTextures;
    int destroyed = 0;
    bool setupResult = true;
};

class FakeScene : public SceneDriver {
  public:
    explicit FakeScene(SceneLog& log) : log_(log) {}
    ~FakeScene() override { ++log_.destroyed; }
    bool Setup(bool isPreview, int width, int height, SETTINGS* settings,
               const char* resourcePath) override {
        ++log_.setups;
        log_.setup = std::string(isPreview ? "preview " : "") + std::to_string(width) + "x" +
                     std::to_string(height) + " " + resourcePath;
        log_.setupSettings = settings;
        log_.firstRandAfterSeed = std::rand();
        return log_.setupResult;
    }
    void SetSize(int width, int height) override { log_.sizes.emplace_back(width, height); }
    void Update(double dt) override { log_.updates.push_back(dt); }
    void Draw() override {
        ++log_.draws;
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);  // a visible frame: all green
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void Cleanup() override { ++log_.cleanups; }
    void SetGroundTexture(uint32_t texture) override { log_.groundTextures.push_back(texture); }

  private:
    SceneLog& log_;
};

bool AllBlack(const std::vector<uint8_t>& rgba) {
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i] | rgba[i + 1] | rgba[i + 2]) return false;
    }
    return !rgba.empty();
}

int TextureWidth(uint32_t name) {
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(64, 48)) << gl_.Error();
        settings_ = DefaultSettings();
        settings_.BGTYPE = 1;
        SetImageDecoder(&decoder_);
    }
    void TearDown() override { SetImageDecoder(nullptr); }

    ViewEnvironment Environment(FakeSurface& surface) {
        ViewEnvironment environment;
        environment.surface = &surface;
        environment.screens = &screens_;
        environment.clock = &clock_;
        environment.capture = &capture_;
        environment.desktopPicture = &desktop_;
        environment.makeScene = [this]() -> std::unique_ptr<SceneDriver> {
            if (!sceneAvailable_) return nullptr;
            return std::make_unique<FakeScene>(log_);
        };
        environment.resourcePath = "/res/velmora";
        return environment;
    }

    // Creates the view over `surface` and starts its animation.
    bool Start(VelmoraView& view, FakeSurface& surface, bool preview, bool mainOnly) {
        if (!view.InitWithFrame(Environment(surface), preview, settings_, mainOnly)) return false;
        view.StartAnimation();
        return true;
    }
    // Lets `dt` seconds pass, then asks the view for a frame.
    void Advance(VelmoraView& view, double dt) {
        clock_.now += dt;
        view.AnimateOneFrame();
    }
    // The scene's and the surface's counters on one line.
    std::string Counts(const FakeSurface& surface) const {
        return "setups=" + std::to_string(log_.setups) +
               " updates=" + std::to_string(log_.updates.size()) +
               " draws=" + std::to_string(log_.draws) +
               " presented=" + std::to_string(surface.presented);
    }

    HeadlessGL gl_;
    FakeScreens screens_;
    FakeClock clock_;
    FakeCapture capture_;
    FakeDesktop desktop_;
    FakeDecoder decoder_;
    SceneLog log_;
    SETTINGS settings_;
    bool sceneAvailable_ = true;
};

TEST_F(ViewTest, LifeCycleFromCreationToRelease) {
    FakeSurface surface(gl_, {10, 10, 64, 48});
    {
        VelmoraView view;
        EXPECT_FALSE(view.InitWithFrame(ViewEnvironment{}, false, settings_, false));
        ASSERT_TRUE(view.InitWithFrame(Environment(surface), false, settings_, false));
        EXPECT_TRUE(view.viewAllocated && !view.glReady && !view.initialized);
        EXPECT_FLOAT_EQ(view.ScrnWidth, 64.0f);
        EXPECT_EQ(capture_.calls, 0) << "only the screen source captures";

        // Start presents one black frame and sets nothing up yet.
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        view.StartAnimation();
        EXPECT_TRUE(view.IsAnimating());
        EXPECT_EQ(Counts(surface), "setups=0 updates=0 draws=0 presented=1");
        EXPECT_TRUE(AllBlack(surface.lastFrame));

        // The first frame initialises GL and the scene, but draws nothing: the clock just started.
        view.AnimateOneFrame();
        EXPECT_TRUE(view.glReady && view.initialized);
        EXPECT_EQ(Counts(surface), "setups=1 updates=0 draws=0 presented=1");
        EXPECT_EQ(log_.setup, "64x48 /res/velmora/");
        EXPECT_EQ(log_.setupSettings, &view.mySettings);
        // The random generator was seeded with the wall-clock second before the scene set up.
        std::srand(clock_.wall);
        EXPECT_EQ(log_.firstRandAfterSeed, std::rand());
        // The desktop picture of this view's screen (0) became the ground, owned by the scene.
        EXPECT_EQ(desktop_.asked, std::vector<int>{0});
        ASSERT_EQ(decoder_.paths, std::vector<std::string>{"/pictures/desk.png"});
        ASSERT_EQ(log_.groundTextures.size(), 1u);
        EXPECT_TRUE(glIsTexture(log_.groundTextures[0]));
        EXPECT_EQ(view.DeskTex.texID, 0u) << "the view must not keep a name the scene deletes";

        Advance(view, 0.03);
        EXPECT_EQ(Counts(surface), "setups=1 updates=1 draws=1 presented=2");
        EXPECT_NEAR(log_.updates[0], 0.03, 1e-9);
        ASSERT_FALSE(surface.lastFrame.empty());
        EXPECT_EQ(surface.lastFrame[1], 255) << "the scene's drawing is what is presented";

        // Stopping keeps the scene; starting again continues it without a new set-up.
        view.StopAnimation();
        Advance(view, 0.03);
        EXPECT_EQ(log_.draws, 1);
        view.StartAnimation();
        view.AnimateOneFrame();
        EXPECT_EQ(Counts(surface), "setups=1 updates=2 draws=2 presented=4");
    }
    // Destruction releases the scene once, with the context current.
    EXPECT_EQ(log_.cleanups, 1);
    EXPECT_EQ(log_.destroyed, 1);
}

TEST_F(ViewTest, FrameTimingDropsLongGapsAndSkipsShortCalls) {
    FakeSurface surface(gl_, {0, 0, 64, 48});
    VelmoraView view;
    ASSERT_TRUE(Start(view, surface, false, false));
    view.AnimateOneFrame();  // set-up; the frame clock starts now
    const struct {
        double dt;
        size_t updates;
        double last;  // the last update's dt
        const char* why;
    } steps[] = {
        {0.0166, 0, 0, "less than a sixtieth of a second: nothing, and the time keeps running"},
        {0.001, 1, 0.0176, "0.0176 s since the last drawn frame"},
        {0.0166666, 1, 0.0176, "just below the single-precision sixtieth"},
        {0.0166667676 - 0.0166666, 2, 0.0166667676, "just past it"},
        {2.5, 2, 0.0166667676, "a gap of more than 2 s is dropped"},
        {0.03, 3, 0.03, "and the next call measures from the end of the gap"},
        {2.0, 4, 2.0, "exactly 2 s is not a long gap"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.why);
        Advance(view, step.dt);
        ASSERT_EQ(log_.updates.size(), step.updates);
        EXPECT_NEAR(step.updates ? log_.updates.back() : 0.0, step.last, 1e-9);
        EXPECT_EQ(surface.presented, 1 + log_.draws);  // nothing presented without a draw
    }
    // At the requested 35 calls a second, every call draws.
    for (int i = 0; i < 35; ++i) Advance(view, VelmoraView::kFrameInterval);
    EXPECT_EQ(Counts(surface), "setups=1 updates=39 draws=39 presented=40");
}

TEST_F(ViewTest, MainMonitorOnlyKeepsSecondaryScreensBlack) {
    FakeSurface secondary(gl_, {2000, 100, 64, 48});
    VelmoraView off;
    ASSERT_TRUE(Start(off, secondary, false, true));
    EXPECT_FALSE(off.ThisScreenIsOn);
    EXPECT_EQ(secondary.presented, 1);
    EXPECT_TRUE(AllBlack(secondary.lastFrame));
    off.AnimateOneFrame();
    EXPECT_FALSE(off.IsAnimating()) << "a screen that does not animate stops its own frames";
    Advance(off, 0.05);
    EXPECT_EQ(log_.setups, 0);
    EXPECT_EQ(secondary.presented, 1);

    // The same secondary screen animates without the setting.
    VelmoraView on;
    ASSERT_TRUE(Start(on, secondary, false, false));
    EXPECT_TRUE(on.ThisScreenIsOn);

    // With the setting, the primary monitor animates, even when it is not the first one.
    screens_.screens[0].primary = false;
    screens_.screens[1].primary = true;
    VelmoraView primary;
    ASSERT_TRUE(Start(primary, secondary, false, true));
    EXPECT_TRUE(primary.ThisScreenIsOn);
    primary.AnimateOneFrame();
    EXPECT_TRUE(primary.IsAnimating());
    EXPECT_EQ(log_.setups, 1);

    // A preview follows the screen its window is on.
    FakeSurface previewOnFirst(gl_, {10, 10, 64, 48});
    VelmoraView preview;
    ASSERT_TRUE(Start(preview, previewOnFirst, true, true));
    EXPECT_FALSE(preview.ThisScreenIsOn);
}

TEST_F(ViewTest, ResizeReinitialisesGLAndTheSceneAdoptsTheSize) {
    FakeSurface surface(gl_, {0, 0, 64, 48});
    VelmoraView view;
    ASSERT_TRUE(Start(view, surface, false, false));
    view.AnimateOneFrame();
    EXPECT_TRUE(log_.sizes.empty()) << "the first glInit runs before the scene exists";

    surface.width = 32;
    surface.height = 24;
    view.SetFrameSize();
    EXPECT_FALSE(view.glReady);
    Advance(view, 0.03);
    EXPECT_TRUE(view.glReady);
    ASSERT_EQ(log_.sizes.size(), 1u);
    EXPECT_EQ(log_.sizes[0], std::make_pair(32, 24));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::make_pair(viewport[2], viewport[3]), std::make_pair(32, 24));
    EXPECT_FLOAT_EQ(view.ScrnWidth, 32.0f);

    // A window shrunk to no height still gets a finite projection.
    surface.height = 0;
    view.SetFrameSize();
    Advance(view, 0.03);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float value : projection) EXPECT_TRUE(std::isfinite(value));
}

TEST_F(ViewTest, CapturedScreenBecomesTheGroundOrGivesWayToTheDesktopPicture) {
    settings_.BGTYPE = 0;
    settings_.BGRES = 1;
    FakeSurface surface(gl_, {5, 6, 64, 48});

    // A readable screen: captured at creation, limited by the resolution setting, handed over.
    capture_.image = SolidImage(1440, 900, 10, 200, 30);
    {
        VelmoraView view;
        ASSERT_TRUE(view.InitWithFrame(Environment(surface), false, settings_, false));
        EXPECT_EQ(capture_.calls, 1);
        EXPECT_EQ(capture_.requested.x, 5);
        ASSERT_NE(view.DeskTex.texID, 0u);
        EXPECT_EQ(view.mySettings.BGTYPE, 0);
        EXPECT_EQ(TextureWidth(view.DeskTex.texID), 1024);
        const uint32_t captured = view.DeskTex.texID;
        view.StartAnimation();
        view.AnimateOneFrame();
        EXPECT_TRUE(decoder_.paths.empty()) << "the capture needs no picture file";
        ASSERT_EQ(log_.groundTextures.size(), 1u);
        EXPECT_EQ(log_.groundTextures[0], captured);
    }

    // The preview captures at the lowest detail whatever the setting.
    {
        VelmoraView preview;
        ASSERT_TRUE(preview.InitWithFrame(Environment(surface), true, settings_, false));
        EXPECT_EQ(TextureWidth(preview.DeskTex.texID), 512);
    }

    // A black screen gives no texture: this run uses the desktop picture instead, with the
    // stored setting untouched.
    capture_.image = SolidImage(800, 600, 0, 0, 0);
    VelmoraView black;
    ASSERT_TRUE(black.InitWithFrame(Environment(surface), false, settings_, false));
    EXPECT_EQ(black.DeskTex.texID, 0u);
    EXPECT_EQ(black.mySettings.BGTYPE, 1);
    EXPECT_EQ(settings_.BGTYPE, 0);
    black.StartAnimation();
    black.AnimateOneFrame();
    EXPECT_EQ(decoder_.paths.back(), "/pictures/desk.png");
    EXPECT_TRUE(glIsTexture(log_.groundTextures.back()));

    // A capture that cannot read anything falls back the same way.
    capture_.succeed = false;
    VelmoraView unreadable;
    ASSERT_TRUE(unreadable.InitWithFrame(Environment(surface), false, settings_, false));
    EXPECT_EQ(unreadable.mySettings.BGTYPE, 1);
}

TEST_F(ViewTest, FailedSceneSetUpStillRunsFrames) {
    FakeSurface surface(gl_, {0, 0, 64, 48});
    // No scene can be made at all.
    sceneAvailable_ = false;
    VelmoraView view;
    ASSERT_TRUE(Start(view, surface, false, false));
    EXPECT_FALSE(view.mainSetup());
    view.AnimateOneFrame();
    Advance(view, 0.03);
    EXPECT_TRUE(view.IsAnimating());
    EXPECT_GE(surface.presented, 1);

    // The scene's own set-up fails: it stays in place and is still updated and drawn.
    sceneAvailable_ = true;
    log_.setupResult = false;
    VelmoraView failing;
    ASSERT_TRUE(Start(failing, surface, false, false));
    failing.AnimateOneFrame();
    EXPECT_TRUE(log_.groundTextures.empty()) << "no ground handed to a scene that failed";
    Advance(failing, 0.03);
    Advance(failing, 0.03);
    EXPECT_GE(log_.draws, 1);
    failing.Release();
    failing.Release();
    EXPECT_EQ(log_.cleanups, 1);
}

}  // namespace
