// EGL on the compositor's connection: desktop OpenGL (compatibility profile) for windows, in an
// opaque colour format with a depth buffer, and the extensions that let a frame report only
// what changed in it.
#pragma once

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <string>

struct wl_display;

class WaylandEgl {
  public:
    WaylandEgl() = default;
    ~WaylandEgl();
    WaylandEgl(const WaylandEgl&) = delete;
    WaylandEgl& operator=(const WaylandEgl&) = delete;

    // False, with the reason, when EGL cannot draw desktop OpenGL into this compositor's windows.
    bool Initialise(wl_display* display, std::string& error);

    EGLDisplay Display() const { return display_; }
    EGLConfig Config() const { return config_; }
    // eglSwapBuffersWithDamage (KHR or EXT), or nullptr when EGL offers neither.
    PFNEGLSWAPBUFFERSWITHDAMAGEKHRPROC SwapWithDamage() const { return swapWithDamage_; }
    // EGL tells how old the back buffer's contents are (EGL_EXT_buffer_age).
    bool HasBufferAge() const { return bufferAge_; }

  private:
    bool ChooseConfig(std::string& error);
    void FindExtensions();

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLConfig config_ = nullptr;
    PFNEGLSWAPBUFFERSWITHDAMAGEKHRPROC swapWithDamage_ = nullptr;
    bool bufferAge_ = false;
};
