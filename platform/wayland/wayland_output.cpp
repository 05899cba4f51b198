#include "platform/wayland/wayland_output.h"

#include <wayland-client.h>

#include "platform/wayland/proxy_release.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace {

// wl_output before version 2 sends no "done": its properties are complete with the first mode.
constexpr uint32_t kOutputDoneVersion = 2;

}  // namespace

WaylandOutput::WaylandOutput(uint32_t globalName, wl_output* output,
                             zxdg_output_manager_v1* manager)
    : globalName_(globalName), output_(output) {
    static const wl_output_listener outputListener = {Geometry,   Mode,      Done,
                                                      ScaleEvent, NameEvent, Description};
    wl_output_add_listener(output_, &outputListener, this);
    if (manager != nullptr) {
        static const zxdg_output_v1_listener xdgListener = {LogicalPosition, LogicalSize, XdgDone,
                                                            XdgName, XdgDescription};
        xdgOutput_ = zxdg_output_manager_v1_get_xdg_output(manager, output_);
        zxdg_output_v1_add_listener(xdgOutput_, &xdgListener, this);
    }
}

WaylandOutput::~WaylandOutput() {
    if (xdgOutput_) zxdg_output_v1_destroy(xdgOutput_);
    ReleaseProxy(output_, WL_OUTPUT_RELEASE_SINCE_VERSION, wl_output_release, wl_output_destroy);
}

void WaylandOutput::Geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t,
                             int32_t, const char*, const char*, int32_t) {
    auto* self = static_cast<WaylandOutput*>(data);
    self->mode_.x = x;
    self->mode_.y = y;
}

void WaylandOutput::Mode(void* data, wl_output* output, uint32_t flags, int32_t width,
                         int32_t height, int32_t) {
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    auto* self = static_cast<WaylandOutput*>(data);
    self->mode_.width = width;
    self->mode_.height = height;
    if (wl_output_get_version(output) < kOutputDoneVersion) Done(data, output);
}

void WaylandOutput::Done(void* data, wl_output*) {
    auto* self = static_cast<WaylandOutput*>(data);
    self->outputDone_ = true;
    self->UpdateReady();
}

void WaylandOutput::ScaleEvent(void* data, wl_output*, int32_t factor) {
    static_cast<WaylandOutput*>(data)->scale_ = factor > 0 ? factor : 1;
}

void WaylandOutput::NameEvent(void* data, wl_output*, const char* name) {
    auto* self = static_cast<WaylandOutput*>(data);
    if (self->name_.empty()) self->name_ = name;
}

void WaylandOutput::LogicalPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
    auto* self = static_cast<WaylandOutput*>(data);
    self->logical_.x = x;
    self->logical_.y = y;
}

void WaylandOutput::LogicalSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
    auto* self = static_cast<WaylandOutput*>(data);
    self->logical_.width = width;
    self->logical_.height = height;
    self->logicalKnown_ = true;
    self->UpdateReady();
}

void WaylandOutput::XdgDone(void* data, zxdg_output_v1*) {
    static_cast<WaylandOutput*>(data)->UpdateReady();
}

void WaylandOutput::XdgName(void* data, zxdg_output_v1*, const char* name) {
    static_cast<WaylandOutput*>(data)->name_ = name;
}

void WaylandOutput::UpdateReady() {
    if (!outputDone_) return;
    if (xdgOutput_ == nullptr) {
        // Without xdg-output the layout is the output's position and its mode shrunk by the scale.
        logical_ = {mode_.x, mode_.y, mode_.width / scale_, mode_.height / scale_};
        logicalKnown_ = mode_.width > 0 && mode_.height > 0;
    }
    ready_ = logicalKnown_;
}
