// The desktop's background as the X server holds it: most wallpaper setters (feh, nitrogen,
// xsetbg, hsetroot, Esetroot, and desktops that draw on the root window) publish the pixmap they
// set on the root window as _XROOTPMAP_ID (or ESETROOT_PMAP_ID), so that other programs can show
// it. It is the last place the desktop picture is looked for, before the shipped picture.
#pragma once

#include <X11/Xlib.h>

#include "host/background_source.h"
#include "host/screens.h"

class RootPixmapBackdrop : public ScreenCapture {
  public:
    RootPixmapBackdrop(Display* display, Screens& screens) : display_(display), screens_(screens) {}
    // The published pixmap over the monitor under `frame`; false when none is published or it
    // is gone.
    bool Capture(const ScreenRect& frame, CapturedImage& out) override;

  private:
    Pixmap PublishedPixmap();

    Display* display_;
    Screens& screens_;
};
