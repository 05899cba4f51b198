#include "platform/x11/glx_window.h"

#include <GL/glx.h>
#include <X11/Xutil.h>

namespace {

// Fills width, height and the double-buffer flag and makes a context for `visual`.
GLXContext MakeContext(Display* display, XVisualInfo* visual, std::string& error) {
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    if (context == nullptr) error = "cannot create an OpenGL context for the window's visual";
    return context;
}

}  // namespace

std::unique_ptr<GlxWindow> GlxWindow::Create(Display* display, const ScreenRect& rect,
                                             bool borderless, std::string& error) {
    const int screen = DefaultScreen(display);
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
        8,        GLX_DEPTH_SIZE,   16,           None};
    XVisualInfo* visual = glXChooseVisual(display, screen, attributes);
    if (visual == nullptr) {
        error = "the X server offers no double-buffered OpenGL visual with a depth buffer";
        return nullptr;
    }
    const Window root = RootWindow(display, screen);
    XSetWindowAttributes set{};
    set.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    set.background_pixel = BlackPixel(display, screen);
    set.border_pixel = 0;
    set.override_redirect = borderless ? True : False;
    set.event_mask = StructureNotifyMask | KeyPressMask | ButtonPressMask | ExposureMask;
    const unsigned long mask =
        CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask;
    const int width = rect.width > 0 ? rect.width : 1;
    const int height = rect.height > 0 ? rect.height : 1;
    const Window window =
        XCreateWindow(display, root, rect.x, rect.y, unsigned(width), unsigned(height), 0,
                      visual->depth, InputOutput, visual->visual, mask, &set);
    std::unique_ptr<GlxWindow> result(new GlxWindow(display, window, true));
    result->width_ = width;
    result->height_ = height;
    result->context_ = MakeContext(display, visual, error);
    XFree(visual);
    if (result->context_ == nullptr) return nullptr;
    return result;
}

std::unique_ptr<GlxWindow> GlxWindow::Adopt(Display* display, Window window, std::string& error) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) {
        error = "no such window";
        return nullptr;
    }
    // An InputOnly window has no pixels: every frame drawn into it would be an X error.
    if (attributes.c_class == InputOnly) {
        error = "it is an InputOnly window, which cannot be drawn into";
        return nullptr;
    }
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    if (visual == nullptr || count < 1) {
        error = "the window's visual is unknown";
        return nullptr;
    }
    int useGL = 0;
    if (glXGetConfig(display, visual, GLX_USE_GL, &useGL) != 0 || !useGL) {
        XFree(visual);
        error = "the window's visual does not support OpenGL";
        return nullptr;
    }
    int doubleBuffer = 0;
    glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffer);
    std::unique_ptr<GlxWindow> result(new GlxWindow(display, window, false));
    result->width_ = attributes.width;
    result->height_ = attributes.height;
    result->doubleBuffered_ = doubleBuffer != 0;
    result->context_ = MakeContext(display, visual, error);
    XFree(visual);
    if (result->context_ == nullptr) return nullptr;
    // Size changes and the window's end reach us; nothing else is taken from the owner's window.
    XSelectInput(display, window, attributes.your_event_mask | StructureNotifyMask);
    return result;
}

GlxWindow::~GlxWindow() {
    if (context_) {
        if (glXGetCurrentContext() == context_) glXMakeCurrent(display_, None, nullptr);
        glXDestroyContext(display_, context_);
    }
    if (owned_) XDestroyWindow(display_, window_);
    XFlush(display_);
}

bool GlxWindow::MakeCurrent() {
    if (glXGetCurrentContext() == context_ && glXGetCurrentDrawable() == window_) return true;
    return glXMakeCurrent(display_, window_, context_) == True;
}

void GlxWindow::Present() {
    if (doubleBuffered_) {
        glXSwapBuffers(display_, window_);
    } else {
        glFinish();
    }
}

ScreenRect GlxWindow::Frame() const {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y, width_, height_};
}

void GlxWindow::Map() {
    if (owned_) XMapRaised(display_, window_);
}

void GlxWindow::Resized(int width, int height) {
    width_ = width;
    height_ = height;
}
