#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "host/velmora_view.h"
#include "platform/headless_gl.h"
#include "tests/host_view/picture_fakes.h"

namespace {

// A surface drawing into the headless context, counting presented frames.
struct FakeSurface : GLSurface {
    FakeSurface(HeadlessGL& context, ScreenRect rect) : gl(context), frame(rect) {}
    bool MakeCurrent() override { return gl.MakeCurrent(); }
    void Present() override {
        ++presented;
        lastFrame = gl.ReadPixels();
    }
    int Width() const override { return width; }
    int Height() const override { return height; }
    ScreenRect Frame() const override { return frame; }
    HeadlessGL& gl;
    ScreenRect frame;
    int width = 64, height = 48, presented = 0;
    std::vector<uint8_t> lastFrame;
};

struct SceneLog {
    int setups = 0, draws = 0, cleanups = 0;
    std::string setup;  // the last set-up's arguments
    std::vector<std::pair<int, int>> sizes;
    std::vector<double> updates;
    std::vector<uint32_t> groundTextures;
    bool setupResult = true;
};

struct FakeScene : SceneDriver {
    explicit FakeScene(SceneLog& sceneLog) : log_(sceneLog) {}
    bool Setup(bool isPreview, int width, int height, SETTINGS*, const char* path) override {
        ++log_.setups;
        log_.setup = std::string(isPreview ? "preview " : "") + std::to_string(width) + "x" +
                     std::to_string(height) + " " + path;
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
    SceneLog& log_;
};

bool AllBlack(const std::vector<uint8_t>& rgba) {
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        if (rgba[i] | rgba[i + 1] | rgba[i + 2]) return false;
    return !rgba.empty();
}

// The fixture is also the system's list of screens and its clock.
class ViewTest : public ::testing::Test, public Screens, public Clock {
  protected:
    std::vector<ScreenInfo> List() override { return screens_; }
    double Now() override { return now_; }
    uint32_t WallSeconds() override { return 1234567; }
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(64, 48)) << gl_.Error();
        settings_ = DefaultSettings(), settings_.BGTYPE = 1;
        SetImageDecoder(&decoder_);
    }
    void TearDown() override { SetImageDecoder(nullptr); }

    ViewEnvironment Environment(FakeSurface& surface) {
        auto makeScene = [this]() -> std::unique_ptr<SceneDriver> {
            return sceneAvailable_ ? std::make_unique<FakeScene>(log_) : nullptr;
        };
        return {&surface, this, this, &capture_, &desktop_, nullptr, makeScene, "/res/velmora"};
    }
    // Creates the view over `surface` and starts its animation.
    bool Start(VelmoraView& view, FakeSurface& surface, bool preview, bool mainOnly) {
        settings_.MAIN_MONITOR_ONLY = mainOnly;
        if (!view.InitWithFrame(Environment(surface), preview, settings_)) return false;
        view.StartAnimation();
        return true;
    }
    // Lets `dt` seconds pass, then asks the view for a frame.
    void Advance(VelmoraView& view, double dt) {
        now_ += dt;
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
    FakeSurface surface_{gl_, {5, 6, 64, 48}};  // on the first screen
    std::vector<ScreenInfo> screens_ = {{0, {0, 0, 1920, 1080}, true, "DP-1"},
                                        {1, {1920, 0, 1280, 1024}, false, "HDMI-1"}};
    double now_ = 1000.0;
    FakeCapture capture_;
    FakeDesktop desktop_;
    FakeDecoder decoder_;
    SceneLog log_;
    SETTINGS settings_;
    bool sceneAvailable_ = true;
};

TEST_F(ViewTest, LifeCycleFromCreationThroughResizeToRelease) {
    {
        VelmoraView view;
        EXPECT_FALSE(view.InitWithFrame(ViewEnvironment{}, false, settings_));
        ASSERT_TRUE(view.InitWithFrame(Environment(surface_), false, settings_));
        EXPECT_TRUE(view.viewAllocated && !view.glReady && !view.initialized);
        EXPECT_EQ(capture_.requested.width, 0) << "only the screen source captures";

        // Start presents one black frame and sets nothing up yet.
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        view.StartAnimation();
        EXPECT_EQ(Counts(surface_), "setups=0 updates=0 draws=0 presented=1");
        EXPECT_TRUE(AllBlack(surface_.lastFrame));

        // The first frame sets up the scene, but draws nothing: the clock just started. The
        // desktop picture of this view's screen (0) became the ground, owned by the scene.
        view.AnimateOneFrame();
        EXPECT_EQ(Counts(surface_), "setups=1 updates=0 draws=0 presented=1");
        EXPECT_EQ(log_.setup, "64x48 /res/velmora/");
        EXPECT_EQ(desktop_.asked, std::vector<int>{0});
        ASSERT_EQ(log_.groundTextures.size(), 1u);
        EXPECT_TRUE(glIsTexture(log_.groundTextures[0]));
        EXPECT_EQ(view.DeskTex.texID, 0u) << "the view must not keep a name the scene deletes";

        Advance(view, 0.03);
        EXPECT_EQ(Counts(surface_), "setups=1 updates=1 draws=1 presented=2");
        EXPECT_EQ(surface_.lastFrame.at(1), 255) << "the scene's drawing is what is presented";

        // Stopping keeps the scene; starting again continues it without a new set-up.
        view.StopAnimation();
        Advance(view, 0.03);
        view.StartAnimation();
        view.AnimateOneFrame();
        EXPECT_EQ(Counts(surface_), "setups=1 updates=2 draws=2 presented=4");

        // A resize sets GL up again at the next frame, and the scene adopts the size.
        surface_.width = 32, surface_.height = 24;
        view.SetFrameSize();
        Advance(view, 0.03);
        EXPECT_EQ(log_.sizes, (std::vector<std::pair<int, int>>{{32, 24}}));
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 32);

        // A window shrunk to no height still gets a finite projection.
        surface_.height = 0;
        view.SetFrameSize();
        Advance(view, 0.03);
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        for (float value : projection) EXPECT_TRUE(std::isfinite(value));
    }
    EXPECT_EQ(log_.cleanups, 1) << "destruction releases the scene once";
}

TEST_F(ViewTest, FrameTimingDropsLongGapsAndSkipsShortCalls) {
    VelmoraView view;
    ASSERT_TRUE(Start(view, surface_, false, false));
    view.AnimateOneFrame();  // set-up; the frame clock starts now
    // {seconds since the last call, updates so far, the last update's seconds}
    const std::tuple<double, size_t, double> steps[] = {
        {0.0166, 0, 0},      // under a sixtieth of a second: nothing, the time keeps running
        {0.001, 1, 0.0176},  // measured since the last drawn frame
        {2.5, 1, 0.0176},    // a gap of more than 2 s is dropped
        {0.03, 2, 0.03},     // and the next call measures from the end of the gap
        {2.0, 3, 2.0}};      // exactly 2 s is not a long gap
    for (const auto& [dt, updates, last] : steps) {
        Advance(view, dt);
        ASSERT_EQ(log_.updates.size(), updates) << dt;
        EXPECT_NEAR(updates ? log_.updates.back() : 0.0, last, 1e-9);
        EXPECT_EQ(surface_.presented, 1 + log_.draws);  // nothing presented without a draw
    }
    // At the requested 35 calls a second, every call draws.
    for (int i = 0; i < 35; ++i) Advance(view, VelmoraView::kFrameInterval);
    EXPECT_EQ(Counts(surface_), "setups=1 updates=38 draws=38 presented=39");
}

// A window is on the first screen it overlaps in the system's order, else on the main one.
TEST_F(ViewTest, TheScreenUnderAWindowIsTheFirstItOverlapsElseTheMainOne) {
    EXPECT_EQ(MainScreenNumber({{4, {0, 0, 800, 600}, false, "A"}}), 4);  // none primary
    EXPECT_EQ(MainScreenNumber({}), -1);
    // {the second monitor is the primary one, window, the screen under it}
    const std::tuple<bool, ScreenRect, int> cases[] = {
        {false, {2000, 10, 640, 480}, 1},
        {false, {1900, 0, 100, 100}, 0},   // straddling both: the first in the system's order
        {false, {1920, 1080, 10, 10}, 0},  // touching an edge is not overlapping
        {true, {1920, 1024, 10, 10}, 1},   // only touching both: the main one
        {true, {2000, 10, 0, 10}, 1},      // empty: the main one
    };
    for (const auto& [secondIsPrimary, window, screen] : cases) {
        screens_[0].primary = !secondIsPrimary, screens_[1].primary = secondIsPrimary;
        EXPECT_EQ(ScreenNumberUnder(screens_, window), screen) << window.x << "," << window.y;
    }
    EXPECT_EQ(MainScreenNumber(screens_), 1);
    EXPECT_TRUE(Intersects({2147483000, 0, 2000, 10}, {2147483600, 0, 10, 10}));
    EXPECT_FALSE(Intersects({0, 0, -5, 10}, {0, 0, 10, 10}));
    EXPECT_EQ(FindScreen(screens_, 9), nullptr);
}

TEST_F(ViewTest, MainMonitorOnlyKeepsSecondaryScreensBlack) {
    FakeSurface secondary(gl_, {2000, 100, 64, 48});
    VelmoraView off;
    ASSERT_TRUE(Start(off, secondary, false, true));
    off.AnimateOneFrame();
    EXPECT_FALSE(off.IsAnimating()) << "a screen that does not animate stops its own frames";
    Advance(off, 0.05);
    EXPECT_EQ(log_.setups, 0);
    EXPECT_EQ(secondary.presented, 1);

    // With the setting, the primary monitor animates, even when it is not the first one.
    screens_[0].primary = false, screens_[1].primary = true;
    VelmoraView primary;
    ASSERT_TRUE(Start(primary, secondary, false, true));
    primary.AnimateOneFrame();
    EXPECT_TRUE(primary.IsAnimating());
    EXPECT_EQ(log_.setups, 1);
}

TEST_F(ViewTest, CapturedScreenBecomesTheGroundOrGivesWayToTheDesktopPicture) {
    settings_.BGTYPE = 0, settings_.BGRES = 1;

    // A readable screen: captured at creation, limited by the resolution setting, handed over.
    capture_.image = SolidImage(1440, 900, 10, 200, 30);
    {
        VelmoraView view;
        ASSERT_TRUE(view.InitWithFrame(Environment(surface_), false, settings_));
        EXPECT_EQ(capture_.requested.x, 5);
        EXPECT_EQ(view.mySettings.BGTYPE, 0);
        EXPECT_EQ(TextureSize(view.DeskTex.texID).first, 1024);
        const uint32_t captured = view.DeskTex.texID;
        view.StartAnimation();
        view.AnimateOneFrame();
        EXPECT_TRUE(decoder_.paths.empty()) << "the capture needs no picture file";
        EXPECT_EQ(log_.groundTextures, std::vector<uint32_t>{captured});
    }
    // The preview captures at the lowest detail whatever the setting.
    VelmoraView preview;
    ASSERT_TRUE(preview.InitWithFrame(Environment(surface_), true, settings_));
    EXPECT_EQ(TextureSize(preview.DeskTex.texID).first, 512);

    // A black screen, or one that cannot be read, gives no texture: this run uses the desktop
    // picture instead, with the stored setting untouched.
    for (bool readable : {true, false}) {
        capture_.image = SolidImage(800, 600, 0, 0, 0), capture_.succeed = readable;
        VelmoraView black;
        ASSERT_TRUE(black.InitWithFrame(Environment(surface_), false, settings_));
        EXPECT_EQ(black.DeskTex.texID, 0u);
        EXPECT_EQ(black.mySettings.BGTYPE, 1);
        EXPECT_EQ(settings_.BGTYPE, 0);
    }
}

TEST_F(ViewTest, FailedSceneSetUpStillRunsFrames) {
    // No scene can be made at all.
    sceneAvailable_ = false;
    VelmoraView view;
    ASSERT_TRUE(Start(view, surface_, false, false));
    view.AnimateOneFrame();
    Advance(view, 0.03);
    EXPECT_TRUE(view.IsAnimating());

    // The scene's own set-up fails: it stays in place and is still updated and drawn.
    sceneAvailable_ = true;
    log_.setupResult = false;
    VelmoraView failing;
    ASSERT_TRUE(Start(failing, surface_, false, false));
    failing.AnimateOneFrame();
    EXPECT_TRUE(log_.groundTextures.empty()) << "no ground handed to a scene that failed";
    Advance(failing, 0.03);
    EXPECT_EQ(log_.draws, 1);
    // Setting up again cleans the old scene first; releasing twice cleans the new one once.
    failing.mainSetup();
    EXPECT_EQ(log_.cleanups, 1);
    failing.Release();
    failing.Release();
    EXPECT_EQ(log_.cleanups, 2);
}

}  // namespace
