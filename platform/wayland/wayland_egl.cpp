#include "platform/wayland/wayland_egl.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool HasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + length, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

EGLint Attribute(EGLDisplay display, EGLConfig config, EGLint name) {
    EGLint value = 0;
    eglGetConfigAttrib(display, config, name, &value);
    return value;
}

}  // namespace

WaylandEgl::~WaylandEgl() {
    if (display_ != EGL_NO_DISPLAY) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglTerminate(display_);
    }
}

bool WaylandEgl::Initialise(wl_display* display, std::string& error) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!HasExtension(clientExtensions, "EGL_EXT_platform_wayland") &&
        !HasExtension(clientExtensions, "EGL_KHR_platform_wayland")) {
        error = "EGL cannot draw on Wayland (no EGL_EXT_platform_wayland)";
        return false;
    }
    if (getPlatformDisplay) {
        display_ = getPlatformDisplay(EGL_PLATFORM_WAYLAND_EXT, display, nullptr);
    }
    if (display_ == EGL_NO_DISPLAY) {
        error = "EGL has no display for the Wayland connection";
        return false;
    }
    if (!eglInitialize(display_, nullptr, nullptr)) {
        display_ = EGL_NO_DISPLAY;
        error = "eglInitialize failed on the Wayland connection";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = "EGL cannot bind desktop OpenGL";
        return false;
    }
    if (!ChooseConfig(error)) return false;
    FindExtensions();
    return true;
}

// The scene clears to a transparent black; a buffer with alpha would let the desktop show
// through, so a configuration without alpha is taken when there is one, and plain 8-bit
// channels before deeper ones (EGL lists 10-bit formats first, which not every compositor
// shows right).
bool WaylandEgl::ChooseConfig(std::string& error) {
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_WINDOW_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_DEPTH_SIZE,
                             16,
                             EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display_, wanted, nullptr, 0, &count) || count < 1) {
        error = "EGL has no configuration for desktop OpenGL windows with a depth buffer";
        return false;
    }
    std::vector<EGLConfig> configs(std::size_t(count), nullptr);
    eglChooseConfig(display_, wanted, configs.data(), count, &count);
    auto score = [&](EGLConfig config) {
        const bool opaque = Attribute(display_, config, EGL_ALPHA_SIZE) == 0;
        const bool eightBit = Attribute(display_, config, EGL_RED_SIZE) == 8 &&
                              Attribute(display_, config, EGL_GREEN_SIZE) == 8 &&
                              Attribute(display_, config, EGL_BLUE_SIZE) == 8;
        return (opaque ? 2 : 0) + (eightBit ? 1 : 0);
    };
    config_ = *std::max_element(configs.begin(), configs.end(),
                                [&](EGLConfig a, EGLConfig b) { return score(a) < score(b); });
    return true;
}

void WaylandEgl::FindExtensions() {
    const char* extensions = eglQueryString(display_, EGL_EXTENSIONS);
    if (HasExtension(extensions, "EGL_KHR_swap_buffers_with_damage")) {
        swapWithDamage_ = reinterpret_cast<PFNEGLSWAPBUFFERSWITHDAMAGEKHRPROC>(
            eglGetProcAddress("eglSwapBuffersWithDamageKHR"));
    } else if (HasExtension(extensions, "EGL_EXT_swap_buffers_with_damage")) {
        swapWithDamage_ = reinterpret_cast<PFNEGLSWAPBUFFERSWITHDAMAGEKHRPROC>(
            eglGetProcAddress("eglSwapBuffersWithDamageEXT"));
    }
    bufferAge_ = HasExtension(extensions, "EGL_EXT_buffer_age");
}
