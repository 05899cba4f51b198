#include "platform/x11/glx_window.h"

#include <GL/glx.h>
#include <GL/glxext.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kPresentVariable = "VELMORA_PRESENT";

// The GLX extension string names `name` as a whole word.
bool HasExtension(Display* display, const char* name) {
    const char* list = glXQueryExtensionsString(display, DefaultScreen(display));
    const size_t length = std::strlen(name);
    for (const char* at = list ? std::strstr(list, name) : nullptr; at != nullptr;
         at = std::strstr(at + length, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

// The first method the choice may take: $VELMORA_PRESENT, told once when it is not understood.
PresentMethod FirstAllowedMethod() {
    PresentMethod first = PresentMethod::kCopySubBuffer;
    const char* wanted = std::getenv(kPresentVariable);
    static bool told = false;
    if (wanted && !PresentMethodNamed(wanted, &first) && !told) {
        told = true;
        std::fprintf(stderr,
                     "velmora: %s=%s is not one of whole, copy-sub-buffer, buffer-age, "
                     "copy-swap; choosing as usual\n",
                     kPresentVariable, wanted);
    }
    return first;
}

// A double-buffered RGB visual with a depth buffer whose swap copies the back buffer to the
// front and leaves it as it was, or nullptr.
XVisualInfo* CopySwapVisual(Display* display, int screen) {
    if (!HasExtension(display, "GLX_OML_swap_method")) return nullptr;
    const int attributes[] = {GLX_X_RENDERABLE,
                              True,
                              GLX_DRAWABLE_TYPE,
                              GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_DOUBLEBUFFER,
                              True,
                              GLX_RED_SIZE,
                              8,
                              GLX_GREEN_SIZE,
                              8,
                              GLX_BLUE_SIZE,
                              8,
                              GLX_DEPTH_SIZE,
                              16,
                              GLX_SWAP_METHOD_OML,
                              GLX_SWAP_COPY_OML,
                              None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes, &count);
    XVisualInfo* visual = nullptr;
    for (int i = 0; configs != nullptr && i < count && visual == nullptr; ++i) {
        visual = glXGetVisualFromFBConfig(display, configs[i]);
    }
    if (configs != nullptr) XFree(configs);
    return visual;
}

// Fills width, height and the double-buffer flag and makes a context for `visual`.
GLXContext MakeContext(Display* display, XVisualInfo* visual, std::string& error) {
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    if (context == nullptr) error = "cannot create an OpenGL context for the window's visual";
    return context;
}

}  // namespace

const char* PresentMethodName(PresentMethod method) {
    switch (method) {
        case PresentMethod::kCopySubBuffer:
            return "copy-sub-buffer";
        case PresentMethod::kBufferAge:
            return "buffer-age";
        case PresentMethod::kCopySwap:
            return "copy-swap";
        case PresentMethod::kWholeFrames:
            break;
    }
    return "whole";
}

bool PresentMethodNamed(const char* name, PresentMethod* method) {
    for (PresentMethod m : {PresentMethod::kCopySubBuffer, PresentMethod::kBufferAge,
                            PresentMethod::kCopySwap, PresentMethod::kWholeFrames}) {
        if (std::strcmp(name, PresentMethodName(m)) == 0) {
            *method = m;
            return true;
        }
    }
    return false;
}

void GlxWindow::ChooseMethod(bool copySwapVisual) {
    const PresentMethod first = FirstAllowedMethod();
    method_ = PresentMethod::kWholeFrames;
    // A single-buffered window shows every drawing at once: only whole frames are safe there.
    if (!doubleBuffered_) return;
    if (first <= PresentMethod::kCopySubBuffer &&
        HasExtension(display_, "GLX_MESA_copy_sub_buffer")) {
        copySubBuffer_ = reinterpret_cast<PFNGLXCOPYSUBBUFFERMESAPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA")));
        if (copySubBuffer_ != nullptr) {
            method_ = PresentMethod::kCopySubBuffer;
            return;
        }
    }
    if (first <= PresentMethod::kBufferAge && HasExtension(display_, "GLX_EXT_buffer_age")) {
        method_ = PresentMethod::kBufferAge;
    } else if (first <= PresentMethod::kCopySwap && copySwapVisual) {
        method_ = PresentMethod::kCopySwap;
    }
}

std::unique_ptr<GlxWindow> GlxWindow::Create(Display* display, const ScreenRect& rect,
                                             bool borderless, std::string& error) {
    const int screen = DefaultScreen(display);
    // A visual whose swap copies is worth asking for only where nothing better is offered.
    const PresentMethod first = FirstAllowedMethod();
    const bool betterOffered =
        (first <= PresentMethod::kCopySubBuffer &&
         HasExtension(display, "GLX_MESA_copy_sub_buffer")) ||
        (first <= PresentMethod::kBufferAge && HasExtension(display, "GLX_EXT_buffer_age"));
    XVisualInfo* visual = nullptr;
    if (!betterOffered && first <= PresentMethod::kCopySwap)
        visual = CopySwapVisual(display, screen);
    const bool copySwap = visual != nullptr;
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
        8,        GLX_DEPTH_SIZE,   16,           None};
    if (visual == nullptr) visual = glXChooseVisual(display, screen, attributes);
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
    result->ChooseMethod(copySwap);
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
    // Size changes, uncovered parts and the window's end reach us; nothing else is taken from the
    // owner's window.
    XSelectInput(display, window, attributes.your_event_mask | StructureNotifyMask | ExposureMask);
    result->ChooseMethod(false);
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
    exposed_ = false;
    presented_ = true;
    if (method_ == PresentMethod::kCopySubBuffer) {
        copySubBuffer_(display_, window_, 0, 0, width_, height_);
    } else if (doubleBuffered_) {
        glXSwapBuffers(display_, window_);
    } else {
        glFinish();
    }
}

int GlxWindow::BackBufferAge() {
    switch (method_) {
        case PresentMethod::kCopySubBuffer:
        case PresentMethod::kCopySwap:
            return presented_ ? 1 : 0;
        case PresentMethod::kBufferAge: {
            unsigned int age = 0;
            glXQueryDrawable(display_, window_, GLX_BACK_BUFFER_AGE_EXT, &age);
            return age <= 64 ? int(age) : 0;
        }
        case PresentMethod::kWholeFrames:
            break;
    }
    return 0;
}

void GlxWindow::PresentRects(const std::vector<PixelRect>& rects) {
    // Swapping methods show the whole back buffer; an uncovered window needs the whole frame.
    if (method_ != PresentMethod::kCopySubBuffer || exposed_) {
        Present();
        return;
    }
    for (const PixelRect& r : rects) copySubBuffer_(display_, window_, r.x, r.y, r.width, r.height);
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
    // The buffers are made anew at the new size.
    presented_ = false;
}
