// Makes an InputOnly window (one that takes input but has no pixels, as some tools make to catch
// the pointer) and prints its id. The window outlives this program (RetainPermanent), so that a
// test can hand its id to the saver.
#include <X11/Xlib.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "input_only_window: no display\n");
        return 1;
    }
    const Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 320, 240, 0, 0,
                                        InputOnly, CopyFromParent, 0, nullptr);
    XMapWindow(display, window);
    XSetCloseDownMode(display, RetainPermanent);
    XSync(display, False);
    std::printf("0x%lx\n", static_cast<unsigned long>(window));
    XCloseDisplay(display);
    return 0;
}
