#include "platform/headless_gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdlib>
#include <cstring>

namespace {

EGLDisplay SurfacelessDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

}  // namespace

HeadlessGL::~HeadlessGL() {
    Destroy();
}

bool HeadlessGL::Fail(const std::string& reason) {
    error_ = reason;
    Destroy();
    return false;
}

bool HeadlessGL::Create(int width, int height) {
    Destroy();
    if (width <= 0 || height <= 0) return Fail("the drawing size must be positive");
    width_ = width;
    height_ = height;
    // Software rendering keeps pictures identical from machine to machine.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);

    EGLDisplay display = SurfacelessDisplay();
    if (display == EGL_NO_DISPLAY) return Fail("EGL has no surfaceless platform");
    display_ = display;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) return Fail("eglInitialize failed");
    if (!eglBindAPI(EGL_OPENGL_API)) return Fail("EGL cannot bind desktop OpenGL");

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1)
        return Fail("no EGL configuration for desktop OpenGL");

    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) return Fail("eglCreateContext failed");
    context_ = context;
    if (!MakeCurrent()) return Fail("eglMakeCurrent failed");
    if (!CreateFramebuffer()) return Fail("the off-screen framebuffer is incomplete");
    glViewport(0, 0, width, height);
    return true;
}

bool HeadlessGL::CreateFramebuffer() {
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glGenRenderbuffers(1, &colourBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

bool HeadlessGL::MakeCurrent() {
    if (!display_ || !context_) return false;
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

void HeadlessGL::Finish() {
    if (context_) glFinish();
}

std::vector<uint8_t> HeadlessGL::ReadPixels() const {
    std::vector<uint8_t> bottomUp(static_cast<size_t>(width_) * height_ * 4);
    if (!context_) return bottomUp;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    const size_t row = static_cast<size_t>(width_) * 4;
    for (int y = 0; y < height_; ++y)
        std::memcpy(&topDown[y * row], &bottomUp[(height_ - 1 - y) * row], row);
    return topDown;
}

void HeadlessGL::Destroy() {
    if (context_ && MakeCurrent()) {
        if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
        if (colourBuffer_) glDeleteRenderbuffers(1, &colourBuffer_);
        if (depthBuffer_) glDeleteRenderbuffers(1, &depthBuffer_);
    }
    framebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    if (display_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context_) eglDestroyContext(display_, context_);
        eglTerminate(display_);
    }
    display_ = nullptr;
    context_ = nullptr;
}
