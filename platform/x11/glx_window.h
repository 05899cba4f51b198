// An X window with a GLX context: either a window of our own, or a window that another program
// made (XScreenSaver's window, the settings dialog's preview area, the root window), drawn into
// in its own visual.
//
// How frames reach the window is chosen once per window, the first the GLX stack offers of:
// copying only the changed rectangles to the front (GLX_MESA_copy_sub_buffer; the back buffer is
// left as it was), swapping a back buffer whose age the driver reports (GLX_EXT_buffer_age),
// swapping in a visual whose swap copies (GLX_OML_swap_method; our own windows only, whose
// visual we choose), and swapping whole frames. $VELMORA_PRESENT (whole, copy-sub-buffer,
// buffer-age, copy-swap) starts the choice further down, to compare or to work around a driver.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "host/gl_surface.h"

typedef struct __GLXcontextRec* GLXContext;

enum class PresentMethod { kCopySubBuffer, kBufferAge, kCopySwap, kWholeFrames };

// The method's name as $VELMORA_PRESENT spells it.
const char* PresentMethodName(PresentMethod method);
// The method $VELMORA_PRESENT names: the first the choice may take (kCopySubBuffer when unset).
// False for a name it does not know.
bool PresentMethodNamed(const char* name, PresentMethod* method);

class GlxWindow : public GLSurface {
  public:
    // A new window (not yet mapped) at `rect` in a double-buffered RGB visual with a depth
    // buffer. A borderless window is placed by us (override-redirect), not by the window manager.
    static std::unique_ptr<GlxWindow> Create(Display* display, const ScreenRect& rect,
                                             bool borderless, std::string& error);
    // Draws into `window`, made by someone else; it must be an InputOutput window whose visual
    // supports OpenGL.
    static std::unique_ptr<GlxWindow> Adopt(Display* display, Window window, std::string& error);
    ~GlxWindow() override;
    GlxWindow(const GlxWindow&) = delete;
    GlxWindow& operator=(const GlxWindow&) = delete;

    bool MakeCurrent() override;
    void Present() override;
    int BackBufferAge() override;
    void PresentRects(const std::vector<PixelRect>& rects) override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    ScreenRect Frame() const override;

    Window XWindow() const { return window_; }
    bool Owned() const { return owned_; }
    void Map();
    // Records a new size reported by the server (ConfigureNotify).
    void Resized(int width, int height);
    // Part of the window was uncovered (Expose): the next frame is shown whole.
    void Exposed() { exposed_ = true; }
    PresentMethod Method() const { return method_; }

  private:
    GlxWindow(Display* display, Window window, bool owned)
        : display_(display), window_(window), owned_(owned) {}

    Display* display_;
    Window window_;
    bool owned_;
    // Picks the method for this window; copySwapVisual tells whether its visual swaps by copying.
    void ChooseMethod(bool copySwapVisual);

    GLXContext context_ = nullptr;
    bool doubleBuffered_ = true;
    PresentMethod method_ = PresentMethod::kWholeFrames;
    void (*copySubBuffer_)(Display*, unsigned long, int, int, int, int) = nullptr;
    bool presented_ = false;  // a frame was shown since the buffers were made
    bool exposed_ = false;
    int width_ = 0;
    int height_ = 0;
};
