// A view's OpenGL surface on Wayland: an EGL window surface with its own desktop-OpenGL context
// on the output's WaylandWindow. Frames are paced by the compositor, not by a blocking swap.
#pragma once

#include <EGL/egl.h>

#include <memory>
#include <string>
#include <vector>

#include "host/gl_surface.h"

struct wl_egl_window;
class WaylandEgl;
class WaylandWindow;

class EglWindowSurface : public GLSurface {
  public:
    // nullptr, with the reason, when EGL refuses the window or the context.
    static std::unique_ptr<EglWindowSurface> Create(const WaylandEgl& egl, WaylandWindow& window,
                                                    std::string& error);
    ~EglWindowSurface() override;
    EglWindowSurface(const EglWindowSurface&) = delete;
    EglWindowSurface& operator=(const EglWindowSurface&) = delete;

    bool MakeCurrent() override;
    // Shows the frame just drawn, the whole surface reported as changed.
    void Present() override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // The output's rectangle in the compositor's layout.
    ScreenRect Frame() const override;

    // Shows the frame just drawn and tells the compositor that only `changed` differs from the
    // frame before (rectangles in buffer pixels, top row 0); empty means everything. A drawer
    // that repairs only damage asks BufferAge() first to know what the back buffer holds.
    void PresentChanged(const std::vector<ScreenRect>& changed);
    // How many frames ago the back buffer's contents were shown: 0 when unknown (draw it all).
    int BufferAge() const;
    // The view's side of the same: frames drawn by damage over the back buffer EGL reports.
    int BackBufferAge() override { return BufferAge(); }
    void PresentRects(const std::vector<PixelRect>& rects) override;

    // Follows a new size of the window.
    void Resize();
    // Frames presented since the count was last reset.
    long Presented() const { return presented_; }
    void ResetPresented() { presented_ = 0; }

  private:
    EglWindowSurface(const WaylandEgl& egl, WaylandWindow& window) : egl_(egl), window_(window) {}

    const WaylandEgl& egl_;
    WaylandWindow& window_;
    wl_egl_window* eglWindow_ = nullptr;
    EGLSurface surface_ = EGL_NO_SURFACE;
    EGLContext context_ = EGL_NO_CONTEXT;
    int width_ = 0;
    int height_ = 0;
    long presented_ = 0;
    bool intervalSet_ = false;
};
