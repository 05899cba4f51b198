// Sets a pixmap of one colour as the root window's background and publishes it the way wallpaper
// setters do (_XROOTPMAP_ID and ESETROOT_PMAP_ID), keeping it after this program exits.
//   set_root_pixmap RRGGBB
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <initializer_list>
#include <string>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (argc != 2 || display == nullptr) {
        std::fprintf(stderr, "usage: set_root_pixmap RRGGBB (with a display)\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XColor colour{};
    XParseColor(display, DefaultColormap(display, screen), ("#" + std::string(argv[1])).c_str(),
                &colour);
    XAllocColor(display, DefaultColormap(display, screen), &colour);
    const unsigned width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
    const Pixmap pixmap =
        XCreatePixmap(display, root, width, height, unsigned(DefaultDepth(display, screen)));
    const GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XSetForeground(display, gc, colour.pixel);
    XFillRectangle(display, pixmap, gc, 0, 0, width, height);
    XFreeGC(display, gc);
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
        XChangeProperty(display, root, XInternAtom(display, name, False), XA_PIXMAP, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap), 1);
    }
    XSetCloseDownMode(display, RetainPermanent);
    XCloseDisplay(display);
    return 0;
}
