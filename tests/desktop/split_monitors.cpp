// Splits the X screen into two RandR monitors side by side, as `xrandr --setmonitor` does. The
// xrandr tool cannot be used on Xvfb: a monitor lives only as long as the client that set it,
// so this one keeps its resources after it exits (RetainPermanent).
//   split_monitors [second]   the left monitor is primary, or the right one with "second"
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool secondPrimary = argc > 1 && std::strcmp(argv[1], "second") == 0;
    Display* display = XOpenDisplay(nullptr);
    const Window root = display ? DefaultRootWindow(display) : 0;
    XRRScreenResources* resources = display ? XRRGetScreenResources(display, root) : nullptr;
    if (resources == nullptr || resources->noutput < 1) {
        std::fprintf(stderr, "split_monitors: no display or no RandR output\n");
        return 1;
    }
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    const char* names[2] = {"LEFT", "RIGHT"};
    for (int i = 0; i < 2; ++i) {
        // The left monitor takes the output, so that it replaces the automatic whole-screen one.
        XRRMonitorInfo* monitor = XRRAllocateMonitor(display, i == 0 ? 1 : 0);
        monitor->name = XInternAtom(display, names[i], False);
        monitor->x = i * (width / 2), monitor->width = width / 2, monitor->height = height;
        monitor->mwidth = monitor->mheight = 300;
        monitor->primary = (i == 1) == secondPrimary;
        if (i == 0) monitor->outputs[0] = resources->outputs[0];
        XRRSetMonitor(display, root, monitor);
        XRRFreeMonitors(monitor);
    }
    XRRFreeScreenResources(resources);
    XSetCloseDownMode(display, RetainPermanent);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
