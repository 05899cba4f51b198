#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/image_decoder.h"
#include "host/velmora_view.h"
#include "platform/headless_gl.h"

namespace {

// A surface drawing into the headless context, counting presented frames.
class FakeSurface : public GLSurface {
  public:
    FakeSurface(HeadlessGL& gl, ScreenRect frame) : gl_(gl), frame_(frame) {}
    bool MakeCurrent() override {
        ++makeCurrentCalls;
        return gl_.MakeCurrent();
    }
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
    int makeCurrentCalls = 0;
    int presented = 0;
    std::vector<uint8_t> lastFrame;

  private:
    HeadlessGL& gl_;
    ScreenRect frame_;
};

class FakeScreens : public Screens {
  public:
    std::vector<ScreenInfo> List() override { return screens; }
    std::vector<ScreenInfo> screens = {{0, {0, 0, 1920, 1080}, true},
                                       {1, {1920, 0, 1280, 1024}, false}};
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
    bool setupPreview = false;
    int setupWidth = 0;
    int setupHeight = 0;
    SETTINGS* setupSettings = nullptr;
    std::string resourcePath;
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
        log_.setupPreview = isPreview;
        log_.setupWidth = width;
        log_.setupHeight = height;
        log_.setupSettings = settings;
        log_.resourcePath = resourcePath;
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

// Captures report a fixed image.
class FakeCapture : public ScreenCapture {
  public:
    bool Capture(const ScreenRect& frame, CapturedImage& out) override {
        ++calls;
        requested = frame;
        out = image;
        return succeed;
    }
    CapturedImage image;
    bool succeed = true;
    int calls = 0;
    ScreenRect requested;
};

class FakeDesktop : public DesktopPictureLookup {
  public:
    std::string PicturePath(int screenNumber) override {
        asked.push_back(screenNumber);
        return path;
    }
    std::string path = "/pictures/desk.png";
    std::vector<int> asked;
};

// Decodes every file as a small orange picture and remembers which paths were asked for.
class FakeDecoder : public ImageDecoder {
  public:
    bool DecodeFile(const char* path, DecodedImage& out, std::string&) override {
        paths.emplace_back(path);
        out.width = 4;
        out.height = 4;
        out.channels = 3;
        out.bytesPerRow = 12;
        out.pixels.assign(48, 0);
        for (int i = 0; i < 16; ++i) {
            out.pixels[i * 3] = 255;
            out.pixels[i * 3 + 1] = 128;
        }
        return true;
    }
    bool DecodeMemory(const void*, size_t, DecodedImage&, std::string&) override { return false; }
    std::vector<std::string> paths;
};

CapturedImage SolidImage(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
    CapturedImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        image.rgba[i] = red;
        image.rgba[i + 1] = green;
        image.rgba[i + 2] = blue;
        image.rgba[i + 3] = 255;
    }
    return image;
}

bool AllBlack(const std::vector<uint8_t>& rgba) {
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i] | rgba[i + 1] | rgba[i + 2]) return false;
    }
    return !rgba.empty();
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
        EXPECT_TRUE(view.viewAllocated);
        EXPECT_FALSE(view.glReady);
        EXPECT_FALSE(view.initialized);
        EXPECT_FLOAT_EQ(view.ScrnWidth, 64.0f);
        EXPECT_EQ(capture_.calls, 0) << "only the screen source captures";

        // Start presents one black frame and sets nothing up yet.
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        view.StartAnimation();
        EXPECT_TRUE(view.IsAnimating());
        EXPECT_EQ(surface.presented, 1);
        EXPECT_TRUE(AllBlack(surface.lastFrame));
        EXPECT_EQ(log_.setups, 0);

        // The first frame initialises GL and the scene, but draws nothing: the clock just started.
        view.AnimateOneFrame();
        EXPECT_TRUE(view.glReady);
        EXPECT_TRUE(view.initialized);
        EXPECT_EQ(log_.setups, 1);
        EXPECT_FALSE(log_.setupPreview);
        EXPECT_EQ(log_.setupWidth, 64);
        EXPECT_EQ(log_.setupHeight, 48);
        EXPECT_EQ(log_.setupSettings, &view.mySettings);
        EXPECT_EQ(log_.resourcePath, "/res/velmora/");
        EXPECT_TRUE(log_.updates.empty());
        EXPECT_EQ(surface.presented, 1);
        // The random generator was seeded with the wall-clock second before the scene set up.
        std::srand(clock_.wall);
        EXPECT_EQ(log_.firstRandAfterSeed, std::rand());
        // The desktop picture of this view's screen (0) became the ground, owned by the scene.
        EXPECT_EQ(desktop_.asked, std::vector<int>{0});
        ASSERT_EQ(decoder_.paths, std::vector<std::string>{"/pictures/desk.png"});
        ASSERT_EQ(log_.groundTextures.size(), 1u);
        EXPECT_TRUE(glIsTexture(log_.groundTextures[0]));
        EXPECT_EQ(view.DeskTex.texID, 0u) << "the view must not keep a name the scene deletes";

        clock_.now += 0.03;
        view.AnimateOneFrame();
        ASSERT_EQ(log_.updates.size(), 1u);
        EXPECT_NEAR(log_.updates[0], 0.03, 1e-9);
        EXPECT_EQ(log_.draws, 1);
        EXPECT_EQ(surface.presented, 2);
        ASSERT_FALSE(surface.lastFrame.empty());
        EXPECT_EQ(surface.lastFrame[1], 255) << "the scene's drawing is what is presented";

        // Stopping keeps the scene; starting again continues it without a new set-up.
        view.StopAnimation();
        clock_.now += 0.03;
        view.AnimateOneFrame();
        EXPECT_EQ(log_.draws, 1);
        view.StartAnimation();
        view.AnimateOneFrame();
        EXPECT_EQ(log_.draws, 2);
        EXPECT_EQ(log_.setups, 1);
    }
    // Destruction releases the scene once, with the context current.
    EXPECT_EQ(log_.cleanups, 1);
    EXPECT_EQ(log_.destroyed, 1);
}

TEST_F(ViewTest, FrameTimingDropsLongGapsAndSkipsShortCalls) {
    FakeSurface surface(gl_, {0, 0, 64, 48});
    VelmoraView view;
    ASSERT_TRUE(view.InitWithFrame(Environment(surface), false, settings_, false));
    view.StartAnimation();
    view.AnimateOneFrame();  // set-up; animtime := now
    ASSERT_TRUE(log_.updates.empty());

    // Less than a sixtieth of a second: nothing, and the time keeps running.
    clock_.now += 0.0166;
    view.AnimateOneFrame();
    EXPECT_TRUE(log_.updates.empty());
    clock_.now += 0.001;  // 0.0176 since the last drawn frame
    view.AnimateOneFrame();
    ASSERT_EQ(log_.updates.size(), 1u);
    EXPECT_NEAR(log_.updates.back(), 0.0176, 1e-9);

    // Just past the single-precision sixtieth draws; just below does not.
    clock_.now += 0.0166666;
    view.AnimateOneFrame();
    EXPECT_EQ(log_.updates.size(), 1u);
    clock_.now += 0.0166667676 - 0.0166666;
    view.AnimateOneFrame();
    EXPECT_EQ(log_.updates.size(), 2u);

    // A gap of more than 2 s is dropped, and the next call measures from the end of the gap.
    const int presentedBefore = surface.presented;
    clock_.now += 2.5;
    view.AnimateOneFrame();
    EXPECT_EQ(log_.updates.size(), 2u);
    EXPECT_EQ(surface.presented, presentedBefore);
    clock_.now += 0.03;
    view.AnimateOneFrame();
    ASSERT_EQ(log_.updates.size(), 3u);
    EXPECT_NEAR(log_.updates.back(), 0.03, 1e-9);

    // Exactly 2 s is not a long gap.
    clock_.now += 2.0;
    view.AnimateOneFrame();
    ASSERT_EQ(log_.updates.size(), 4u);
    EXPECT_NEAR(log_.updates.back(), 2.0, 1e-9);

    // At the requested 35 calls a second, every call draws.
    for (int i = 0; i < 35; ++i) {
        clock_.now += VelmoraView::kFrameInterval;
        view.AnimateOneFrame();
    }
    EXPECT_EQ(log_.updates.size(), 39u);
    EXPECT_EQ(log_.draws, 39);
}

TEST_F(ViewTest, MainMonitorOnlyKeepsSecondaryScreensBlack) {
    FakeSurface secondary(gl_, {2000, 100, 64, 48});
    VelmoraView off;
    ASSERT_TRUE(off.InitWithFrame(Environment(secondary), false, settings_, true));
    off.StartAnimation();
    EXPECT_FALSE(off.ThisScreenIsOn);
    EXPECT_EQ(secondary.presented, 1);
    EXPECT_TRUE(AllBlack(secondary.lastFrame));
    off.AnimateOneFrame();
    EXPECT_FALSE(off.IsAnimating()) << "a screen that does not animate stops its own frames";
    clock_.now += 0.05;
    off.AnimateOneFrame();
    EXPECT_EQ(log_.setups, 0);
    EXPECT_EQ(secondary.presented, 1);

    // The same secondary screen animates without the setting.
    VelmoraView on;
    ASSERT_TRUE(on.InitWithFrame(Environment(secondary), false, settings_, false));
    on.StartAnimation();
    EXPECT_TRUE(on.ThisScreenIsOn);

    // With the setting, the primary monitor animates, even when it is not the first one.
    screens_.screens[0].primary = false;
    screens_.screens[1].primary = true;
    VelmoraView primary;
    ASSERT_TRUE(primary.InitWithFrame(Environment(secondary), false, settings_, true));
    primary.StartAnimation();
    EXPECT_TRUE(primary.ThisScreenIsOn);
    primary.AnimateOneFrame();
    EXPECT_TRUE(primary.IsAnimating());
    EXPECT_EQ(log_.setups, 1);

    // A preview follows the screen its window is on.
    FakeSurface previewOnFirst(gl_, {10, 10, 64, 48});
    VelmoraView preview;
    ASSERT_TRUE(preview.InitWithFrame(Environment(previewOnFirst), true, settings_, true));
    preview.StartAnimation();
    EXPECT_FALSE(preview.ThisScreenIsOn);
}

TEST_F(ViewTest, ResizeReinitialisesGLAndTheSceneAdoptsTheSize) {
    FakeSurface surface(gl_, {0, 0, 64, 48});
    VelmoraView view;
    ASSERT_TRUE(view.InitWithFrame(Environment(surface), false, settings_, false));
    view.StartAnimation();
    view.AnimateOneFrame();
    EXPECT_TRUE(log_.sizes.empty()) << "the first glInit runs before the scene exists";

    surface.width = 32;
    surface.height = 24;
    view.SetFrameSize();
    EXPECT_FALSE(view.glReady);
    clock_.now += 0.03;
    view.AnimateOneFrame();
    EXPECT_TRUE(view.glReady);
    ASSERT_EQ(log_.sizes.size(), 1u);
    EXPECT_EQ(log_.sizes[0], std::make_pair(32, 24));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 32);
    EXPECT_EQ(viewport[3], 24);
    EXPECT_FLOAT_EQ(view.ScrnWidth, 32.0f);

    // A window shrunk to no height still gets a finite projection.
    surface.height = 0;
    view.SetFrameSize();
    clock_.now += 0.03;
    view.AnimateOneFrame();
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
        glBindTexture(GL_TEXTURE_2D, view.DeskTex.texID);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 1024);
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
        glBindTexture(GL_TEXTURE_2D, preview.DeskTex.texID);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 512);
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
    ASSERT_TRUE(view.InitWithFrame(Environment(surface), false, settings_, false));
    view.StartAnimation();
    EXPECT_FALSE(view.mainSetup());
    view.AnimateOneFrame();
    clock_.now += 0.03;
    view.AnimateOneFrame();
    EXPECT_TRUE(view.IsAnimating());
    EXPECT_GE(surface.presented, 1);

    // The scene's own set-up fails: it stays in place and is still updated and drawn.
    sceneAvailable_ = true;
    log_.setupResult = false;
    VelmoraView failing;
    ASSERT_TRUE(failing.InitWithFrame(Environment(surface), false, settings_, false));
    failing.StartAnimation();
    failing.AnimateOneFrame();
    EXPECT_TRUE(log_.groundTextures.empty()) << "no ground handed to a scene that failed";
    clock_.now += 0.03;
    failing.AnimateOneFrame();
    clock_.now += 0.03;
    failing.AnimateOneFrame();
    EXPECT_GE(log_.draws, 1);
    failing.Release();
    failing.Release();
    EXPECT_EQ(log_.cleanups, 1);
}

}  // namespace
