// What velmora-render gives the saver's view so that it draws exactly as the saver does: the
// headless context as its surface, one screen the size of the picture, a clock that steps by the
// fixed frame time (or runs in real time) and seeds the scene, and a scene driver that times
// each update and drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "host/clock.h"
#include "host/gl_surface.h"
#include "host/scene_driver.h"
#include "host/screens.h"
#include "platform/headless_gl.h"
#include "scene/ssmain.h"

class HeadlessSurface : public GLSurface {
  public:
    explicit HeadlessSurface(HeadlessGL& gl) : gl_(gl) {}
    bool MakeCurrent() override { return gl_.MakeCurrent(); }
    void Present() override { ++presented; }
    int Width() const override { return gl_.Width(); }
    int Height() const override { return gl_.Height(); }
    ScreenRect Frame() const override { return {0, 0, gl_.Width(), gl_.Height()}; }

    long presented = 0;  // frames shown so far

  private:
    HeadlessGL& gl_;
};

// The picture is the whole desktop: one screen, the main one.
class PictureScreen : public Screens {
  public:
    PictureScreen(int width, int height) : screen_{0, {0, 0, width, height}, true, "picture"} {}
    std::vector<ScreenInfo> List() override { return {screen_}; }

  private:
    ScreenInfo screen_;
};

// Steps by `step` seconds at each Step() (a fixed frame time), or follows the monotonic clock
// when `step` is 0. Its wall-clock second is the seed.
class RenderClock : public Clock {
  public:
    RenderClock(double step, uint32_t seed) : step_(step), seed_(seed) {}
    void Step();
    double Now() override;
    uint32_t WallSeconds() override { return seed_; }

  private:
    double step_;
    uint32_t seed_;
    double now_ = 0.0;
};

// The saver's scene, with the milliseconds of every update and drawing (to the end of the
// drawing, as the context finishes it).
class TimedScene : public SceneDriver {
  public:
    bool Setup(bool isPreview, int width, int height, SETTINGS* settings,
               const char* resourcePath) override;
    void SetSize(int width, int height) override { main_.SetSize(width, height); }
    void Update(double dt) override;
    void Draw() override;
    void Cleanup() override { main_.Cleanup(); }
    void SetGroundTexture(uint32_t texture) override { main_.groundTexture = texture; }

    const SSMAIN& Scene() const { return main_; }
    std::vector<double> updateMs, drawMs;

  private:
    SSMAIN main_;
};
