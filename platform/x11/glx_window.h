// An X window with a GLX context: either a window of our own, or a window that another program
// made (XScreenSaver's window, the settings dialog's preview area, the root window), drawn into
// in its own visual.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "host/gl_surface.h"

typedef struct __GLXcontextRec* GLXContext;

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
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    ScreenRect Frame() const override;

    Window XWindow() const { return window_; }
    bool Owned() const { return owned_; }
    void Map();
    // Records a new size reported by the server (ConfigureNotify).
    void Resized(int width, int height);

  private:
    GlxWindow(Display* display, Window window, bool owned)
        : display_(display), window_(window), owned_(owned) {}

    Display* display_;
    Window window_;
    bool owned_;
    GLXContext context_ = nullptr;
    bool doubleBuffered_ = true;
    int width_ = 0;
    int height_ = 0;
};
