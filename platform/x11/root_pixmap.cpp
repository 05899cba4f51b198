#include "platform/x11/root_pixmap.h"

#include <X11/Xatom.h>

#include <algorithm>

#include "platform/x11/desktop_capture.h"

Pixmap RootPixmapBackdrop::PublishedPixmap() {
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
        const Atom property = XInternAtom(display_, name, True);
        if (property == None) continue;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const int status =
            XGetWindowProperty(display_, DefaultRootWindow(display_), property, 0, 1, False,
                               XA_PIXMAP, &type, &format, &count, &after, &data);
        Pixmap pixmap = None;
        // Format 32 properties come back as an array of longs.
        if (status == Success && type == XA_PIXMAP && format == 32 && count == 1 && data) {
            pixmap = Pixmap(*reinterpret_cast<unsigned long*>(data));
        }
        if (data) XFree(data);
        if (pixmap != None) return pixmap;
    }
    return None;
}

bool RootPixmapBackdrop::Capture(const ScreenRect& frame, CapturedImage& out) {
    const Pixmap pixmap = PublishedPixmap();
    int width = 0, height = 0, depth = 0;
    if (pixmap == None || !DrawableGeometry(display_, pixmap, width, height, depth)) return false;
    const int screen = DefaultScreen(display_);
    // A pixmap of another depth would be read with the wrong colours.
    if (depth != DefaultDepth(display_, screen)) return false;
    const auto screens = screens_.List();
    const ScreenInfo* monitor = FindScreen(screens, ScreenNumberUnder(screens, frame));
    if (monitor == nullptr) return false;
    // The part of the monitor the pixmap covers (it spans the whole screen as a rule).
    const ScreenRect& m = monitor->frame;
    ScreenRect rect{std::max(0, m.x), std::max(0, m.y), 0, 0};
    rect.width = std::min(m.x + m.width, width) - rect.x;
    rect.height = std::min(m.y + m.height, height) - rect.y;
    return ReadDrawable(display_, pixmap, rect, DefaultVisual(display_, screen), out);
}
