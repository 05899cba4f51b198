#include "platform/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

// No output is larger; a compositor that claims more is not believed.
constexpr int kLargestSide = 16384;

}  // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::Create(wl_shm* shm, int width, int height, int stride,
                                             uint32_t format) {
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide ||
        stride < width || stride > kLargestSide * 4) {
        return nullptr;
    }
    const std::size_t size = std::size_t(stride) * std::size_t(height);
    const int fd = memfd_create("velmora-screen-copy", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    std::unique_ptr<ShmBuffer> result(new ShmBuffer());
    if (ftruncate(fd, off_t(size)) != 0) {
        close(fd);
        return nullptr;
    }
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    result->memory_ = memory;
    result->size_ = size;
    // The request carries a duplicate of the descriptor; ours is no longer needed after it.
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(size));
    close(fd);
    result->buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    return result;
}

ShmBuffer::~ShmBuffer() {
    if (buffer_) wl_buffer_destroy(buffer_);
    if (memory_) munmap(memory_, size_);
}
