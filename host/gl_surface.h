// The drawing surface of one view: an OpenGL context with a depth buffer on a window (GLX on
// X11, an off-screen buffer in tests), and where the window lies on the desktop.
#pragma once

#include <vector>

#include "host/screens.h"
#include "scene/damage.h"

class GLSurface {
  public:
    virtual ~GLSurface() = default;
    // Makes the surface's context current on this thread; false when that fails.
    virtual bool MakeCurrent() = 0;
    // Shows the frame just drawn (swaps the buffers of a double-buffered surface).
    virtual void Present() = 0;
    // How many presents ago the back buffer's content was drawn when the next frame starts: 1 when
    // it still holds the frame presented last, n for the one n presents ago, 0 when it is
    // undefined (the next frame must be drawn whole). Surfaces that promise nothing return 0.
    virtual int BackBufferAge() { return 0; }
    // Shows the frame just drawn where it differs from the frame shown before: `rects` in pixels
    // from the bottom-left corner. A surface that can only show whole frames shows it whole.
    virtual void PresentRects(const std::vector<PixelRect>& /*rects*/) { Present(); }
    // The drawing area's size in pixels.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The window's rectangle in desktop (root window) coordinates.
    virtual ScreenRect Frame() const = 0;
};
