// One output (monitor) of the compositor as the saver follows it: where it lies in the layout,
// its connector name and scale, and whether it has gone away.
#pragma once

#include <cstdint>
#include <string>

#include "host/screens.h"

struct wl_output;
struct zxdg_output_v1;
struct zxdg_output_manager_v1;

class WaylandOutput {
  public:
    // Takes the bound wl_output; asks the compositor for the output's layout position and name
    // when `manager` (xdg-output) is offered.
    WaylandOutput(uint32_t globalName, wl_output* output, zxdg_output_manager_v1* manager);
    ~WaylandOutput();
    WaylandOutput(const WaylandOutput&) = delete;
    WaylandOutput& operator=(const WaylandOutput&) = delete;

    // The registry's name of the output: tells outputs apart for the whole run.
    uint32_t GlobalName() const { return globalName_; }
    wl_output* Output() const { return output_; }
    // Every property has arrived; until then the output gets no view.
    bool Ready() const { return ready_; }
    // The connector name ("DP-1", "HEADLESS-2"), empty when the compositor tells none.
    const std::string& Name() const { return name_; }
    // The output's rectangle in the compositor's layout (logical pixels).
    const ScreenRect& Logical() const { return logical_; }
    // Buffer pixels per logical pixel.
    int Scale() const { return scale_; }

    // The compositor withdrew the output; its view must go.
    bool Removed() const { return removed_; }
    void MarkRemoved() { removed_ = true; }

  private:
    static void Geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                         const char*, const char*, int32_t);
    static void Mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height,
                     int32_t);
    static void Done(void* data, wl_output*);
    static void ScaleEvent(void* data, wl_output*, int32_t factor);
    static void NameEvent(void* data, wl_output*, const char* name);
    static void Description(void*, wl_output*, const char*) {}
    static void LogicalPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y);
    static void LogicalSize(void* data, zxdg_output_v1*, int32_t width, int32_t height);
    static void XdgDone(void* data, zxdg_output_v1*);
    static void XdgName(void* data, zxdg_output_v1*, const char* name);
    static void XdgDescription(void*, zxdg_output_v1*, const char*) {}
    void UpdateReady();

    uint32_t globalName_;
    wl_output* output_;
    zxdg_output_v1* xdgOutput_ = nullptr;
    std::string name_;
    ScreenRect logical_;
    ScreenRect mode_;  // position from the geometry, size of the current mode (buffer pixels)
    int scale_ = 1;
    bool outputDone_ = false;
    bool logicalKnown_ = false;
    bool ready_ = false;
    bool removed_ = false;
};
