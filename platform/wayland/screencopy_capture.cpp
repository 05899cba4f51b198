#include "platform/wayland/screencopy_capture.h"

#include <wayland-client.h>

#include <memory>

#include "platform/wayland/shm_buffer.h"
#include "platform/wayland/wayland_connection.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace {

// How long the compositor may take to copy an output.
constexpr double kCopyWait = 3.0;
// Before version 3 the compositor names one buffer and expects the copy at once.
constexpr uint32_t kBufferDoneVersion = 3;

// Where red lies in a pixel of the 8-bit formats: byte 2 (B, G, R, A in memory) or byte 0.
bool RedByte(uint32_t format, int& red) {
    switch (format) {
        case WL_SHM_FORMAT_ARGB8888:
        case WL_SHM_FORMAT_XRGB8888:
            red = 2;
            return true;
        case WL_SHM_FORMAT_ABGR8888:
        case WL_SHM_FORMAT_XBGR8888:
            red = 0;
            return true;
        default:
            return false;
    }
}

// One copy in progress: the compositor names the buffer it wants, we make it and ask for the
// copy, the compositor answers ready or failed.
struct Copy {
    wl_shm* shm = nullptr;
    zwlr_screencopy_frame_v1* frame = nullptr;
    uint32_t format = 0;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool offered = false;
    bool yInverted = false;
    bool done = false;
    bool succeeded = false;
    std::unique_ptr<ShmBuffer> buffer;

    void Start() {
        if (offered) buffer = ShmBuffer::Create(shm, width, height, stride, format);
        if (!buffer) {
            done = true;
            return;
        }
        zwlr_screencopy_frame_v1_copy(frame, buffer->Buffer());
    }
};

void Buffer(void* data, zwlr_screencopy_frame_v1* frame, uint32_t format, uint32_t width,
            uint32_t height, uint32_t stride) {
    auto* copy = static_cast<Copy*>(data);
    int red = 0;
    if (!copy->offered && RedByte(format, red)) {
        copy->offered = true;
        copy->format = format;
        copy->width = int(width);
        copy->height = int(height);
        copy->stride = int(stride);
    }
    if (zwlr_screencopy_frame_v1_get_version(frame) < kBufferDoneVersion) copy->Start();
}
void Flags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
    static_cast<Copy*>(data)->yInverted = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}
void Ready(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
    auto* copy = static_cast<Copy*>(data);
    copy->succeeded = true;
    copy->done = true;
}
void Failed(void* data, zwlr_screencopy_frame_v1*) {
    static_cast<Copy*>(data)->done = true;
}
void Damage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void LinuxDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {}
void BufferDone(void* data, zwlr_screencopy_frame_v1*) {
    static_cast<Copy*>(data)->Start();
}

}  // namespace

bool ScreencopyCapture::Capture(const ScreenRect&, CapturedImage& out) {
    if (connection_.Screencopy() == nullptr || output_.Removed()) return false;
    static const zwlr_screencopy_frame_v1_listener listener = {
        Buffer, Flags, Ready, Failed, Damage, LinuxDmabuf, BufferDone};
    wl_display* display = connection_.Display();
    // The copy's events go to a queue of their own, so that nothing else is handled meanwhile.
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* manager =
        static_cast<zwlr_screencopy_manager_v1*>(wl_proxy_create_wrapper(connection_.Screencopy()));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(manager), queue);
    Copy copy;
    copy.shm = connection_.Shm();
    // 0: without the cursor.
    copy.frame = zwlr_screencopy_manager_v1_capture_output(manager, 0, output_.Output());
    wl_proxy_wrapper_destroy(manager);
    zwlr_screencopy_frame_v1_add_listener(copy.frame, &listener, &copy);
    connection_.DispatchQueueUntil(queue, copy.done, kCopyWait, stop_);
    zwlr_screencopy_frame_v1_destroy(copy.frame);
    wl_event_queue_destroy(queue);
    return copy.succeeded && copy.buffer &&
           ScreenCopyToImage(copy.format, copy.width, copy.height, copy.stride, copy.yInverted,
                             copy.buffer->Pixels(), copy.buffer->Size(), out);
}

bool ScreenCopyToImage(uint32_t format, int width, int height, int stride, bool yInverted,
                       const uint8_t* pixels, std::size_t byteCount, CapturedImage& out) {
    int red = 0;
    if (!RedByte(format, red) || width <= 0 || height <= 0 || stride / 4 < width ||
        std::size_t(stride) * std::size_t(height) > byteCount) {
        return false;
    }
    const int blue = 2 - red;
    out.width = width;
    out.height = height;
    out.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    uint8_t* target = out.rgba.data();
    for (int row = 0; row < height; ++row) {
        // The image is wanted bottom row first; a y-inverted copy already is.
        const int sourceRow = yInverted ? row : height - 1 - row;
        const uint8_t* source = pixels + std::size_t(sourceRow) * std::size_t(stride);
        for (int x = 0; x < width; ++x, source += 4, target += 4) {
            target[0] = source[red];
            target[1] = source[1];
            target[2] = source[blue];
            target[3] = 255;
        }
    }
    return true;
}
