// Reading the desktop under a view before the saver covers it.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <string>

#include "host/background_source.h"
#include "host/screens.h"

// The pixels of a drawable's rectangle as RGBA, bottom row first, its colours decoded by
// `visual` (a pixmap has none of its own: give the visual it was drawn for; nullptr takes the
// image's own masks). False when the server refuses (a drawable that is gone, a rectangle
// outside it).
bool ReadDrawable(Display* display, Drawable drawable, const ScreenRect& rect, const Visual* visual,
                  CapturedImage& out);

// The size and depth of a drawable; false (without an X error) when it does not exist.
bool DrawableGeometry(Display* display, Drawable drawable, int& width, int& height, int& depth);

// The standalone saver: the root window over the whole monitor under the view, read before
// any window of ours is mapped.
class RootWindowCapture : public ScreenCapture {
  public:
    // `drawsOnRoot`: this run draws on the root window itself, where an earlier run that was
    // killed may have left its last frame; the root window is repainted from its background
    // before it is read, so that no run captures another's cats.
    RootWindowCapture(Display* display, Screens& screens, bool drawsOnRoot = false)
        : display_(display), screens_(screens), drawsOnRoot_(drawsOnRoot) {}
    bool Capture(const ScreenRect& frame, CapturedImage& out) override;

  private:
    Display* display_;
    Screens& screens_;
    bool drawsOnRoot_;
};

// Under XScreenSaver our window already covers the desktop; XScreenSaver's helper
// xscreensaver-getimage paints the desktop as it was into a pixmap. When the user allows neither
// desktop grabs nor a folder of pictures, the helper would paint a test card of colour bars:
// then nothing is captured, and the view shows the desktop picture instead.
class GetImageCapture : public ScreenCapture {
  public:
    // `stop` is raised by a signal; the wait for the helper ends early then. `allowed`: what the
    // user's XScreenSaver preferences let the helper show.
    GetImageCapture(Display* display, Window window, const std::atomic<bool>* stop, bool allowed)
        : display_(display), window_(window), stop_(stop), allowed_(allowed) {}
    bool Capture(const ScreenRect& frame, CapturedImage& out) override;

    // Where the helper lives: XScreenSaver's libexec folder, else the PATH.
    static std::string HelperPath();

  private:
    Display* display_;
    Window window_;
    const std::atomic<bool>* stop_;
    bool allowed_;
};
