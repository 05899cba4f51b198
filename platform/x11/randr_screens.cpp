#include "platform/x11/randr_screens.h"

#include <X11/extensions/Xrandr.h>

std::string RandrScreens::AtomName(Atom atom) {
    if (atom == None) return "";
    char* text = XGetAtomName(display_, atom);
    std::string name = text ? text : "";
    if (text) XFree(text);
    return name;
}

std::vector<ScreenInfo> RandrScreens::List() {
    std::vector<ScreenInfo> screens;
    int eventBase = 0, errorBase = 0;
    const Window root = DefaultRootWindow(display_);
    if (XRRQueryExtension(display_, &eventBase, &errorBase)) {
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(display_, root, True, &count);
        for (int i = 0; monitors && i < count; ++i) {
            const XRRMonitorInfo& m = monitors[i];
            screens.push_back({i, {m.x, m.y, m.width, m.height}, m.primary != 0, AtomName(m.name)});
        }
        if (monitors) XRRFreeMonitors(monitors);
    }
    if (screens.empty()) {
        const int screen = DefaultScreen(display_);
        screens.push_back(
            {0, {0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)}, true, ""});
    }
    return screens;
}
