// The drawing surface of one view: an OpenGL context with a depth buffer on a window (GLX on
// X11, an off-screen buffer in tests), and where the window lies on the desktop.
#pragma once

#include "host/screens.h"

class GLSurface {
  public:
    virtual ~GLSurface() = default;
    // Makes the surface's context current on this thread; false when that fails.
    virtual bool MakeCurrent() = 0;
    // Shows the frame just drawn (swaps the buffers of a double-buffered surface).
    virtual void Present() = 0;
    // The drawing area's size in pixels.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The window's rectangle in desktop (root window) coordinates.
    virtual ScreenRect Frame() const = 0;
};
