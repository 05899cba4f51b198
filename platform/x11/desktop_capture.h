// Reading the desktop under a view before the saver covers it.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <string>

#include "host/background_source.h"
#include "host/screens.h"

// The pixels of a drawable's rectangle as RGBA, bottom row first. False when the server
// refuses (a drawable that is gone, a rectangle outside it).
bool ReadDrawable(Display* display, Drawable drawable, const ScreenRect& rect, CapturedImage& out);

// The standalone saver: the root window over the whole monitor under the view, read before
// any window of ours is mapped.
class RootWindowCapture : public ScreenCapture {
  public:
    RootWindowCapture(Display* display, Screens& screens) : display_(display), screens_(screens) {}
    bool Capture(const ScreenRect& frame, CapturedImage& out) override;

  private:
    Display* display_;
    Screens& screens_;
};

// Under XScreenSaver our window already covers the desktop; XScreenSaver's helper
// xscreensaver-getimage paints the desktop as it was into a pixmap, and gives something else
// (or nothing) when the user does not allow desktop grabs.
class GetImageCapture : public ScreenCapture {
  public:
    // `stop` is raised by a signal; the wait for the helper ends early then.
    GetImageCapture(Display* display, Window window, const std::atomic<bool>* stop)
        : display_(display), window_(window), stop_(stop) {}
    bool Capture(const ScreenRect& frame, CapturedImage& out) override;

    // Where the helper lives: XScreenSaver's libexec folder, else the PATH.
    static std::string HelperPath();

  private:
    Display* display_;
    Window window_;
    const std::atomic<bool>* stop_;
};
