// The connection to the Wayland compositor: the globals the saver uses, the outputs as they come
// and go, the seats' input, and waiting for events with a time limit.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/clock.h"
#include "platform/wayland/wayland_input.h"
#include "platform/wayland/wayland_output.h"

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_event_queue;
struct xdg_wm_base;
struct zxdg_output_manager_v1;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;

class WaylandConnection {
  public:
    explicit WaylandConnection(Clock& clock) : clock_(clock), input_(clock) {}
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // Connects to $WAYLAND_DISPLAY and learns the globals and the outputs. False, with the reason,
    // when there is no compositor or it lacks what every saver needs (a compositor, shared
    // memory, and a layer shell or xdg-shell).
    bool Connect(std::string& error);

    wl_display* Display() const { return display_; }
    wl_compositor* Compositor() const { return compositor_; }
    wl_shm* Shm() const { return shm_; }
    zwlr_layer_shell_v1* LayerShell() const { return layerShell_; }
    xdg_wm_base* WmBase() const { return wmBase_; }
    zwlr_screencopy_manager_v1* Screencopy() const { return screencopy_; }
    WaylandInput& Input() { return input_; }

    // The outputs in the order the compositor announced them, ready or not, removed ones
    // included until ForgetRemovedOutputs().
    const std::vector<std::unique_ptr<WaylandOutput>>& Outputs() const { return outputs_; }
    void ForgetRemovedOutputs();

    // Sends what is queued, waits up to `seconds` for events and handles them. False when the
    // connection is lost.
    bool Dispatch(double seconds);
    // Handles every event of `queue` (nullptr: the default queue) until `done` holds, the time runs
    // out or `stop` is raised. False when the connection is lost or the wait ended without `done`.
    bool DispatchQueueUntil(wl_event_queue* queue, const bool& done, double seconds,
                            const std::atomic<bool>* stop);
    // Waits until the compositor has handled every request so far and sent its answers.
    bool Roundtrip();

  private:
    static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version);
    static void GlobalRemove(void* data, wl_registry* registry, uint32_t name);
    void AddOutput(uint32_t name, uint32_t version);
    // Waits for the connection to be readable (up to `seconds`), reads and handles `queue`.
    bool WaitAndDispatch(wl_event_queue* queue, double seconds);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    xdg_wm_base* wmBase_ = nullptr;
    zxdg_output_manager_v1* outputManager_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    zwlr_screencopy_manager_v1* screencopy_ = nullptr;
    std::vector<std::unique_ptr<WaylandOutput>> outputs_;
    // Outputs announced in the first round trip (name, version): bound after it, once
    // xdg-output is known whatever the order of the announcements.
    std::vector<std::pair<uint32_t, uint32_t>> earlyOutputs_;
    bool globalsKnown_ = false;
    Clock& clock_;
    WaylandInput input_;
};
