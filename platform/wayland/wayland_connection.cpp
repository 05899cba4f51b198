#include "platform/wayland/wayland_connection.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/wayland/layer_shell_protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

// The newest version of each interface whose events our listeners know.
constexpr uint32_t kCompositorVersion = 4;
constexpr uint32_t kOutputVersion = 4;
constexpr uint32_t kSeatVersion = 8;
constexpr uint32_t kXdgOutputVersion = 3;
constexpr uint32_t kLayerShellVersion = 4;
constexpr uint32_t kScreencopyVersion = 3;

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t newest) {
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, newest)));
}

void Ping(void*, xdg_wm_base* base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}

}  // namespace

WaylandConnection::~WaylandConnection() {
    if (display_ == nullptr) return;
    outputs_.clear();
    input_.ReleaseSeats();
    if (screencopy_) zwlr_screencopy_manager_v1_destroy(screencopy_);
    if (layerShell_) zwlr_layer_shell_v1_destroy(layerShell_);
    if (outputManager_) zxdg_output_manager_v1_destroy(outputManager_);
    if (wmBase_) xdg_wm_base_destroy(wmBase_);
    if (shm_) wl_shm_destroy(shm_);
    if (compositor_) wl_compositor_destroy(compositor_);
    if (registry_) wl_registry_destroy(registry_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

bool WaylandConnection::Connect(std::string& error) {
    display_ = wl_display_connect(nullptr);
    if (display_ == nullptr) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        error = std::string("cannot connect to the Wayland compositor \"") +
                (name ? name : "wayland-0") + "\"";
        return false;
    }
    static const wl_registry_listener registryListener = {Global, GlobalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    if (!Roundtrip()) {
        error = "the Wayland compositor closed the connection";
        return false;
    }
    globalsKnown_ = true;
    for (const auto& [name, version] : earlyOutputs_) AddOutput(name, version);
    earlyOutputs_.clear();
    // The outputs' properties.
    if (!Roundtrip()) {
        error = "the Wayland compositor closed the connection";
        return false;
    }
    if (compositor_ == nullptr || shm_ == nullptr) {
        error = "the Wayland compositor offers no wl_compositor or wl_shm";
        return false;
    }
    if (layerShell_ == nullptr && wmBase_ == nullptr) {
        error = "the Wayland compositor offers neither the layer shell nor xdg-shell";
        return false;
    }
    return true;
}

void WaylandConnection::Global(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    const std::string kind = interface;
    if (kind == wl_compositor_interface.name) {
        self->compositor_ = Bind<wl_compositor>(registry, name, &wl_compositor_interface, version,
                                                kCompositorVersion);
    } else if (kind == wl_shm_interface.name) {
        self->shm_ = Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    } else if (kind == xdg_wm_base_interface.name) {
        static const xdg_wm_base_listener baseListener = {Ping};
        self->wmBase_ = Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(self->wmBase_, &baseListener, self);
    } else if (kind == zxdg_output_manager_v1_interface.name) {
        self->outputManager_ = Bind<zxdg_output_manager_v1>(
            registry, name, &zxdg_output_manager_v1_interface, version, kXdgOutputVersion);
    } else if (kind == zwlr_layer_shell_v1_interface.name) {
        self->layerShell_ = Bind<zwlr_layer_shell_v1>(
            registry, name, &zwlr_layer_shell_v1_interface, version, kLayerShellVersion);
    } else if (kind == zwlr_screencopy_manager_v1_interface.name) {
        self->screencopy_ = Bind<zwlr_screencopy_manager_v1>(
            registry, name, &zwlr_screencopy_manager_v1_interface, version, kScreencopyVersion);
    } else if (kind == wl_seat_interface.name) {
        self->input_.AddSeat(
            name, Bind<wl_seat>(registry, name, &wl_seat_interface, version, kSeatVersion));
    } else if (kind == wl_output_interface.name) {
        if (!self->globalsKnown_) {
            self->earlyOutputs_.emplace_back(name, version);
        } else {
            self->AddOutput(name, version);
        }
    }
}

void WaylandConnection::AddOutput(uint32_t name, uint32_t version) {
    auto* output = Bind<wl_output>(registry_, name, &wl_output_interface, version, kOutputVersion);
    outputs_.push_back(std::make_unique<WaylandOutput>(name, output, outputManager_));
}

void WaylandConnection::GlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto* self = static_cast<WaylandConnection*>(data);
    for (auto& output : self->outputs_) {
        if (output->GlobalName() == name) output->MarkRemoved();
    }
    self->input_.RemoveSeat(name);
}

void WaylandConnection::ForgetRemovedOutputs() {
    outputs_.erase(std::remove_if(outputs_.begin(), outputs_.end(),
                                  [](const std::unique_ptr<WaylandOutput>& output) {
                                      return output->Removed();
                                  }),
                   outputs_.end());
}

bool WaylandConnection::Roundtrip() {
    return wl_display_roundtrip(display_) >= 0;
}

bool WaylandConnection::Dispatch(double seconds) {
    return WaitAndDispatch(nullptr, seconds);
}

bool WaylandConnection::DispatchQueueUntil(wl_event_queue* queue, const bool& done, double seconds,
                                           const std::atomic<bool>* stop) {
    const double end = clock_.Now() + seconds;
    while (!done) {
        const double left = end - clock_.Now();
        if (left <= 0.0 || (stop && stop->load())) return false;
        if (!WaitAndDispatch(queue, left)) return false;
    }
    return true;
}

bool WaylandConnection::WaitAndDispatch(wl_event_queue* queue, double seconds) {
    auto prepare = [&] {
        return queue ? wl_display_prepare_read_queue(display_, queue)
                     : wl_display_prepare_read(display_);
    };
    auto dispatchPending = [&] {
        return queue ? wl_display_dispatch_queue_pending(display_, queue)
                     : wl_display_dispatch_pending(display_);
    };
    while (prepare() != 0) {
        if (dispatchPending() < 0) return false;
    }
    // A full socket (EAGAIN) empties while we wait; anything else is a lost connection.
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        return false;
    }
    pollfd descriptor{wl_display_get_fd(display_), POLLIN, 0};
    const int milliseconds = seconds > 0.0 ? int(std::ceil(seconds * 1000.0)) : 0;
    const int ready = poll(&descriptor, 1, milliseconds);
    if (ready > 0 && (descriptor.revents & POLLIN)) {
        if (wl_display_read_events(display_) < 0) return false;
    } else {
        wl_display_cancel_read(display_);
        // A signal ends the wait early; the caller looks at its flag.
        if (ready < 0 && errno != EINTR) return false;
        if (ready > 0 && (descriptor.revents & (POLLERR | POLLHUP))) return false;
    }
    return dispatchPending() >= 0;
}
