// The floor of a frame on this display: clear the root window's colour, depth and stencil and
// swap, about 35 times a second, until a signal. What any saver that draws every frame pays at
// least; the peers benchmark runs it beside Velmora.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <time.h>

#include <cstdio>

namespace {

volatile sig_atomic_t stopped = 0;

void Stop(int) {
    stopped = 1;
}

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "clear_swap: cannot open the X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    GLXContext context = visual ? glXCreateContext(display, visual, nullptr, True) : nullptr;
    if (context == nullptr || !glXMakeCurrent(display, root, context)) {
        std::fprintf(stderr, "clear_swap: no OpenGL context for the root window\n");
        return 1;
    }
    signal(SIGTERM, Stop);
    signal(SIGINT, Stop);
    const double interval = 1.0 / 35.0;
    double next = Now();
    long frames = 0;
    const double start = next;
    while (!stopped) {
        glViewport(0, 0, attributes.width, attributes.height);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glXSwapBuffers(display, root);
        ++frames;
        next += interval;
        const double wait = next - Now();
        if (wait > 0) {
            const timespec pause{time_t(wait), long((wait - double(time_t(wait))) * 1e9)};
            nanosleep(&pause, nullptr);
        } else {
            next = Now();
        }
    }
    std::fprintf(stderr, "clear_swap: frames drawn: %ld in %.2f s, %.2f per second\n", frames,
                 Now() - start, double(frames) / (Now() - start));
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    XFree(visual);
    XCloseDisplay(display);
    return 0;
}
