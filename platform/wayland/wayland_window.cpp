#include "platform/wayland/wayland_window.h"

#include <wayland-client.h>

#include "platform/wayland/layer_shell_protocol.h"
#include "platform/wayland/wayland_connection.h"
#include "xdg-shell-client-protocol.h"

namespace {

// How long the compositor may take to give a new surface its size.
constexpr double kConfigureWait = 5.0;

void ToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

}  // namespace

WaylandWindow::WaylandWindow(WaylandConnection& connection, const WaylandOutput& output)
    : connection_(connection), output_(output), scale_(output.Scale()) {}

std::unique_ptr<WaylandWindow> WaylandWindow::Create(WaylandConnection& connection,
                                                     const WaylandOutput& output,
                                                     std::string& error) {
    std::unique_ptr<WaylandWindow> window(new WaylandWindow(connection, output));
    window->surface_ = wl_compositor_create_surface(connection.Compositor());
    // The buffer is drawn at the output's own pixel density.
    if (wl_surface_get_version(window->surface_) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) {
        wl_surface_set_buffer_scale(window->surface_, window->scale_);
    } else {
        window->scale_ = 1;
    }
    if (connection.LayerShell()) {
        window->MakeLayerSurface();
    } else {
        window->MakeToplevel();
    }
    wl_surface_commit(window->surface_);
    // The configure comes on the default queue, which is handled meanwhile.
    if (!connection.DispatchQueueUntil(nullptr, window->configured_, kConfigureWait, nullptr)) {
        error = "the compositor gave the saver's surface on output " + output.Name() + " no size";
        return nullptr;
    }
    window->resized_ = false;
    return window;
}

void WaylandWindow::MakeLayerSurface() {
    static const zwlr_layer_surface_v1_listener layerListener = {LayerConfigure, LayerClosed};
    layer_ =
        zwlr_layer_shell_v1_get_layer_surface(connection_.LayerShell(), surface_, output_.Output(),
                                              ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "velmora");
    zwlr_layer_surface_v1_add_listener(layer_, &layerListener, this);
    // Anchored to every edge with no size of its own: the compositor gives the whole output.
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    // -1: also over the areas that panels keep for themselves.
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
}

void WaylandWindow::MakeToplevel() {
    static const xdg_surface_listener surfaceListener = {XdgConfigure};
    static const xdg_toplevel_listener toplevelListener = {ToplevelConfigure, ToplevelClose,
                                                           ToplevelBounds, ToplevelCapabilities};
    xdgSurface_ = xdg_wm_base_get_xdg_surface(connection_.WmBase(), surface_);
    xdg_surface_add_listener(xdgSurface_, &surfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
    xdg_toplevel_set_title(toplevel_, "Velmora");
    xdg_toplevel_set_app_id(toplevel_, "velmora");
    xdg_toplevel_set_fullscreen(toplevel_, output_.Output());
}

WaylandWindow::~WaylandWindow() {
    if (frameCallback_) wl_callback_destroy(frameCallback_);
    if (layer_) zwlr_layer_surface_v1_destroy(layer_);
    if (toplevel_) xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_) xdg_surface_destroy(xdgSurface_);
    if (surface_) wl_surface_destroy(surface_);
}

bool WaylandWindow::TakeResize() {
    const bool resized = resized_;
    resized_ = false;
    return resized;
}

void WaylandWindow::SetSize(int width, int height) {
    // No size of the compositor's choosing: the output's.
    if (width <= 0 || height <= 0) {
        width = output_.Logical().width;
        height = output_.Logical().height;
    }
    if (width <= 0 || height <= 0) return;
    if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        resized_ = true;
        MarkOpaque();
    }
}

// The compositor need not draw what lies under us (a buffer with no alpha is opaque anyway).
void WaylandWindow::MarkOpaque() {
    wl_region* region = wl_compositor_create_region(connection_.Compositor());
    wl_region_add(region, 0, 0, width_, height_);
    wl_surface_set_opaque_region(surface_, region);
    wl_region_destroy(region);
}

void WaylandWindow::RequestFrame() {
    static const wl_callback_listener frameListener = {FrameDone};
    if (frameCallback_) wl_callback_destroy(frameCallback_);
    frameCallback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameCallback_, &frameListener, this);
    frameDue_ = false;
}

void WaylandWindow::FrameDone(void* data, wl_callback* callback, uint32_t) {
    auto* self = static_cast<WaylandWindow*>(data);
    wl_callback_destroy(callback);
    self->frameCallback_ = nullptr;
    self->frameDue_ = true;
}

void WaylandWindow::LayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial,
                                   uint32_t width, uint32_t height) {
    auto* self = static_cast<WaylandWindow*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    self->SetSize(int(width), int(height));
    self->configured_ = true;
}

void WaylandWindow::LayerClosed(void* data, zwlr_layer_surface_v1*) {
    static_cast<WaylandWindow*>(data)->closed_ = true;
}

void WaylandWindow::XdgConfigure(void* data, xdg_surface* surface, uint32_t serial) {
    auto* self = static_cast<WaylandWindow*>(data);
    xdg_surface_ack_configure(surface, serial);
    // A toplevel's first configure may leave the size to us.
    if (self->width_ == 0) self->SetSize(0, 0);
    self->configured_ = true;
}

void WaylandWindow::ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height,
                                      wl_array*) {
    auto* self = static_cast<WaylandWindow*>(data);
    // 0 x 0 leaves the size to us: the one we have.
    if ((width <= 0 || height <= 0) && self->width_ > 0) return;
    self->SetSize(width, height);
}

void WaylandWindow::ToplevelClose(void* data, xdg_toplevel*) {
    static_cast<WaylandWindow*>(data)->closed_ = true;
}
