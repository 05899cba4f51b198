// A buffer in shared memory that the compositor can write into and we can read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct wl_buffer;
struct wl_shm;

class ShmBuffer {
  public:
    // A width x height buffer of rows `stride` bytes apart in the wl_shm `format`; nullptr when
    // the sizes are not sane or memory cannot be shared.
    static std::unique_ptr<ShmBuffer> Create(wl_shm* shm, int width, int height, int stride,
                                             uint32_t format);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* Buffer() const { return buffer_; }
    const uint8_t* Pixels() const { return static_cast<const uint8_t*>(memory_); }
    std::size_t Size() const { return size_; }

  private:
    ShmBuffer() = default;

    wl_buffer* buffer_ = nullptr;
    void* memory_ = nullptr;
    std::size_t size_ = 0;
};
