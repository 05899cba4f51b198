// The ground "as the screen was": one copy of the output, taken through the wlroots screen-copy
// protocol into shared memory before the saver's surface shows.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/background_source.h"

class WaylandConnection;
class WaylandOutput;

class ScreencopyCapture : public ScreenCapture {
  public:
    // `stop` is raised by a signal; the wait for the compositor ends early then.
    ScreencopyCapture(WaylandConnection& connection, const WaylandOutput& output,
                      const std::atomic<bool>* stop)
        : connection_(connection), output_(output), stop_(stop) {}
    // The whole output (the frame is the output's own). False when the compositor offers no
    // screen copy, refuses, or answers in a pixel format we do not read.
    bool Capture(const ScreenRect& frame, CapturedImage& out) override;

  private:
    WaylandConnection& connection_;
    const WaylandOutput& output_;
    const std::atomic<bool>* stop_;
};

// Turns the copied pixels (wl_shm `format`, rows `stride` bytes apart, top row first unless
// `yInverted`) into an RGBA image with the bottom row first. False for a format other than the
// 8-bit-per-channel ones (ARGB8888, XRGB8888, ABGR8888, XBGR8888) or sizes that do not fit
// `byteCount`.
bool ScreenCopyToImage(uint32_t format, int width, int height, int stride, bool yInverted,
                       const uint8_t* pixels, std::size_t byteCount, CapturedImage& out);
