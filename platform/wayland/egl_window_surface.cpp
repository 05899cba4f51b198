#include "platform/wayland/egl_window_surface.h"

#include <wayland-egl.h>

#include "platform/wayland/wayland_egl.h"
#include "platform/wayland/wayland_output.h"
#include "platform/wayland/wayland_window.h"

std::unique_ptr<EglWindowSurface> EglWindowSurface::Create(const WaylandEgl& egl,
                                                           WaylandWindow& window,
                                                           std::string& error) {
    std::unique_ptr<EglWindowSurface> result(new EglWindowSurface(egl, window));
    result->width_ = window.Width();
    result->height_ = window.Height();
    result->eglWindow_ = wl_egl_window_create(window.Surface(), result->width_, result->height_);
    if (result->eglWindow_ == nullptr) {
        error = "cannot make an EGL window on the Wayland surface";
        return nullptr;
    }
    result->surface_ =
        eglCreateWindowSurface(egl.Display(), egl.Config(),
                               reinterpret_cast<EGLNativeWindowType>(result->eglWindow_), nullptr);
    if (result->surface_ == EGL_NO_SURFACE) {
        error = "EGL refuses the Wayland window (eglCreateWindowSurface failed)";
        return nullptr;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    result->context_ =
        eglCreateContext(egl.Display(), egl.Config(), EGL_NO_CONTEXT, contextAttributes);
    if (result->context_ == EGL_NO_CONTEXT) {
        error = "cannot create a desktop OpenGL context with EGL";
        return nullptr;
    }
    return result;
}

EglWindowSurface::~EglWindowSurface() {
    const EGLDisplay display = egl_.Display();
    if (eglGetCurrentContext() == context_) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display, context_);
    if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display, surface_);
    if (eglWindow_) wl_egl_window_destroy(eglWindow_);
}

bool EglWindowSurface::MakeCurrent() {
    if (eglGetCurrentContext() == context_ && eglGetCurrentSurface(EGL_DRAW) == surface_) {
        return true;
    }
    if (!eglMakeCurrent(egl_.Display(), surface_, surface_, context_)) return false;
    if (!intervalSet_) {
        // The compositor's frame callbacks pace the frames; a swap must never wait for them.
        eglSwapInterval(egl_.Display(), 0);
        intervalSet_ = true;
    }
    return true;
}

void EglWindowSurface::Present() {
    PresentChanged({{0, 0, width_, height_}});
}

void EglWindowSurface::PresentChanged(const std::vector<ScreenRect>& changed) {
    window_.RequestFrame();
    const auto swapWithDamage = egl_.SwapWithDamage();
    if (swapWithDamage && !changed.empty()) {
        // EGL counts rows from the bottom of the surface.
        std::vector<EGLint> rects;
        rects.reserve(changed.size() * 4);
        for (const ScreenRect& rect : changed) {
            rects.insert(rects.end(),
                         {rect.x, height_ - rect.y - rect.height, rect.width, rect.height});
        }
        swapWithDamage(egl_.Display(), surface_, rects.data(), EGLint(changed.size()));
    } else {
        eglSwapBuffers(egl_.Display(), surface_);
    }
    ++presented_;
}

void EglWindowSurface::PresentRects(const std::vector<PixelRect>& rects) {
    // An unchanged frame still goes to the compositor, which paces the frames by it; one pixel
    // reported, as it was, says that nothing else changed (no rectangles would mean everything).
    std::vector<ScreenRect> changed;
    for (const PixelRect& r : rects) {
        if (!r.Empty()) changed.push_back({r.x, height_ - r.y - r.height, r.width, r.height});
    }
    if (changed.empty()) changed.push_back({0, 0, 1, 1});
    PresentChanged(changed);
}

int EglWindowSurface::BufferAge() const {
    if (!egl_.HasBufferAge()) return 0;
    EGLint age = 0;
    if (!eglQuerySurface(egl_.Display(), surface_, EGL_BUFFER_AGE_EXT, &age)) return 0;
    return age;
}

ScreenRect EglWindowSurface::Frame() const {
    return window_.Output().Logical();
}

void EglWindowSurface::Resize() {
    width_ = window_.Width();
    height_ = window_.Height();
    wl_egl_window_resize(eglWindow_, width_, height_, 0, 0);
}
