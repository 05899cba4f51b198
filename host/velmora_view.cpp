#include "host/velmora_view.h"

#include "assets/pack_layout.h"
#include "host/gl_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <vector>

VelmoraView::~VelmoraView() {
    Release();
}

bool VelmoraView::InitWithFrame(const ViewEnvironment& environment, bool isPreview,
                                const SETTINGS& settings) {
    if (!environment.surface || !environment.screens || !environment.clock ||
        !environment.makeScene) {
        return false;
    }
    environment_ = environment;
    isPreview_ = isPreview;
    created_ = true;
    viewAllocated = true;
    glReady = false;

    mySettings = settings;
    MainMonitorOnly = settings.MAIN_MONITOR_ONLY;
    ScrnWidth = float(environment_.surface->Width());
    ScrnHeight = float(environment_.surface->Height());
    ThisScreenIsOn = true;
    initialized = false;

    if (mySettings.BGTYPE == 0) {
        DeskTex.texID = 0;
        CaptureDesktop();
        // Nothing usable on the screen: the desktop picture takes its place for this run.
        if (DeskTex.texID == 0) mySettings.BGTYPE = 1;
    }
    return true;
}

void VelmoraView::CaptureDesktop() {
    if (environment_.capture == nullptr || !environment_.surface->MakeCurrent()) return;
    CapturedImage image;
    if (!environment_.capture->Capture(environment_.surface->Frame(), image)) return;
    const int detail = isPreview_ ? 0 : mySettings.BGRES;
    uint32_t name = DeskTex.texID;
    MakeCaptureTexture(image, detail, &name);
    DeskTex.texID = name;
    DeskTex.width = uint32_t(image.width);
    DeskTex.height = uint32_t(image.height);
}

int VelmoraView::ScreenNumber() const {
    return ScreenNumberUnder(environment_.screens->List(), environment_.surface->Frame());
}

void VelmoraView::StartAnimation() {
    if (!created_) return;
    ThisScreenIsOn = true;
    if (MainMonitorOnly && ScreenNumber() != MainScreenNumber(environment_.screens->List())) {
        ThisScreenIsOn = false;
    }
    if (environment_.surface->MakeCurrent()) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        environment_.surface->Present();
    }
    animating_ = true;
}

void VelmoraView::AnimateOneFrame() {
    if (!created_ || !animating_) return;
    if (!ThisScreenIsOn) {
        StopAnimation();
        return;
    }
    if (!environment_.surface->MakeCurrent()) return;
    if (!glReady) {
        glInit();
        glReady = true;
    }
    if (!initialized) {
        mainSetup();
        initialized = true;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    const double now = environment_.clock->Now();
    const double dt = now - animtime;
    if (dt > kLongGap) {
        animtime = now;
        return;
    }
    if (dt > kShortestFrame) {
        animtime = now;
        // Over a back buffer that still holds an earlier frame the scene redraws only what
        // changed since, and only that is presented.
        const int age = ssMain ? environment_.surface->BackBufferAge() : 0;
        if (age == 0) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (ssMain) {
            ssMain->SetBackBufferAge(age);
            ssMain->Update(dt);
        }
        glReshape();
        if (ssMain) ssMain->Draw();
        std::vector<PixelRect> changed;
        if (age > 0 && ssMain->ChangedRects(&changed)) {
            environment_.surface->PresentRects(changed);
        } else {
            environment_.surface->Present();
        }
    }
}

void VelmoraView::SetFrameSize() {
    if (viewAllocated) glReady = false;
}

void VelmoraView::glInit() {
    ScrnWidth = float(environment_.surface->Width());
    ScrnHeight = float(environment_.surface->Height());
    const int width = int(ScrnWidth);
    const int height = int(ScrnHeight);
    InitialiseViewGL(width, height);
    if (ssMain) ssMain->SetSize(width, height);
    glReshape();
}

void VelmoraView::glReshape() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height (a window shrunk to nothing) would make the aspect infinite.
    const double aspect = ScrnHeight > 0.0f ? double(ScrnWidth) / double(ScrnHeight) : 1.0;
    gluPerspective(45.0, aspect, 1.0, 120.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool VelmoraView::mainSetup() {
    const int width = environment_.surface->Width();
    const int height = environment_.surface->Height();
    std::srand(environment_.clock->WallSeconds());

    if (ssMain) {
        ssMain->Cleanup();
        ssMain.reset();
    }
    ssMain = environment_.makeScene();
    if (!ssMain) return false;

    std::string folder = environment_.resourcePath;
    if (folder.empty() || folder.back() != '/') folder += '/';
    if (!ssMain->Setup(isPreview_, width, height, &mySettings, folder.c_str())) return false;

    if (mySettings.BGTYPE != 0) {
        GroundPictureSources sources;
        sources.desktop = environment_.desktopPicture;
        sources.backdrop = environment_.desktopBackdrop;
        sources.screenNumber = ScreenNumber();
        sources.frame = environment_.surface->Frame();
        sources.fallbackPath = folder + pack_layout::kFallbackPicture;
        LoadGroundPicture(mySettings, sources, DeskTex);
    }
    // The scene owns the ground texture from here on and deletes it at its clean-up; the view
    // forgets the name so that it is never deleted twice.
    ssMain->SetGroundTexture(DeskTex.texID);
    DeskTex.texID = 0;
    animtime = environment_.clock->Now();
    return true;
}

void VelmoraView::Release() {
    if (!created_) return;
    const bool current = environment_.surface->MakeCurrent();
    if (ssMain) {
        if (current) ssMain->Cleanup();
        ssMain.reset();
    }
    if (DeskTex.texID != 0 && current) {
        GLuint name = DeskTex.texID;
        glDeleteTextures(1, &name);
    }
    DeskTex.texID = 0;
    animating_ = false;
    created_ = false;
}
