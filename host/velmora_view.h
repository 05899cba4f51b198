// The screen-saver view: one per screen and one for the preview. It keeps the settings record,
// decides whether its screen animates, makes the ground picture, sets the scene up on its first
// frame and then advances and draws the scene by the wall-clock time that has passed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "assets/texture.h"
#include "host/background_source.h"
#include "host/clock.h"
#include "host/gl_surface.h"
#include "host/scene_driver.h"
#include "host/screens.h"
#include "host/settings.h"

// What a view is given by the program that hosts it. Pointers are not owned and must outlive
// the view; capture, desktopPicture and desktopBackdrop may be null.
struct ViewEnvironment {
    GLSurface* surface = nullptr;
    Screens* screens = nullptr;
    Clock* clock = nullptr;
    ScreenCapture* capture = nullptr;
    DesktopPictureLookup* desktopPicture = nullptr;
    ScreenCapture* desktopBackdrop = nullptr;  // the desktop's background, when no picture is named
    SceneFactory makeScene;
    std::string resourcePath;  // folder of the packs and the fallback picture
};

class VelmoraView {
  public:
    // The host is asked for one frame every 1/35 s.
    static constexpr double kFrameInterval = 0.028571428571428571;
    // Gaps longer than this are dropped instead of making the scene jump.
    static constexpr double kLongGap = 2.0;
    // Frames closer together than one sixtieth of a second (as single precision) are skipped.
    static constexpr double kShortestFrame = 0.01666666753590107;

    bool MainMonitorOnly = false;
    bool ThisScreenIsOn = true;
    bool viewAllocated = false;
    bool glReady = false;
    bool initialized = false;
    SETTINGS mySettings;
    double animtime = 0.0;
    float ScrnWidth = 0.0f;
    float ScrnHeight = 0.0f;
    std::unique_ptr<SceneDriver> ssMain;
    Texture DeskTex;

    VelmoraView() = default;
    ~VelmoraView();
    VelmoraView(const VelmoraView&) = delete;
    VelmoraView& operator=(const VelmoraView&) = delete;

    // Creation: takes the loaded settings, and captures the screen now when that is the chosen
    // background (before the saver covers it). False when the environment lacks a surface,
    // screens, clock or scene factory.
    bool InitWithFrame(const ViewEnvironment& environment, bool isPreview, const SETTINGS& settings,
                       bool mainMonitorOnly);
    // Decides whether this screen animates and presents one black frame.
    void StartAnimation();
    // Ends the frame calls; the scene stays set up and a later start continues it.
    void StopAnimation() { animating_ = false; }
    bool IsAnimating() const { return animating_; }
    bool IsPreview() const { return isPreview_; }
    // One call of the host's animation timer.
    void AnimateOneFrame();
    // The surface changed size: the next frame re-initialises OpenGL for it.
    void SetFrameSize();
    // Releases the scene with the view's context current. Safe to call more than once.
    void Release();

    void glInit();
    void glReshape();
    bool mainSetup();

    // The number of the screen under this view's window.
    int ScreenNumber() const;

  private:
    void CaptureDesktop();

    ViewEnvironment environment_;
    bool isPreview_ = false;
    bool animating_ = false;
    bool created_ = false;
};
