#include "platform/stb_image_decoder.h"

#include <climits>
#include <cstring>
#include <memory>

// Only the formats the saver reads are compiled in: less code facing untrusted files.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wshadow"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};
using StbPixels = std::unique_ptr<stbi_uc, StbFree>;

std::string Reason(const std::string& what) {
    const char* reason = stbi_failure_reason();
    return what + ": " + (reason != nullptr ? reason : "unknown error");
}

// Grey becomes RGB and grey+alpha RGBA; colour keeps its own channel count.
int OutputChannels(int stored) {
    return (stored == 2 || stored == 4) ? 4 : 3;
}

bool CheckSize(int width, int height, std::string& error) {
    if (width <= 0 || height <= 0) {
        error = "picture has no pixels";
        return false;
    }
    if (width > StbImageDecoder::kMaxSide || height > StbImageDecoder::kMaxSide ||
        static_cast<long long>(width) * height > StbImageDecoder::kMaxPixels) {
        error = "picture too large: " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels (at most " + std::to_string(StbImageDecoder::kMaxSide) + " per side and " +
                std::to_string(StbImageDecoder::kMaxPixels) + " in all)";
        return false;
    }
    return true;
}

bool Fill(StbPixels pixels, int width, int height, int channels, DecodedImage& out) {
    const size_t size = static_cast<size_t>(width) * height * channels;
    out.width = width;
    out.height = height;
    out.channels = channels;
    out.bytesPerRow = width * channels;
    out.pixels.assign(pixels.get(), pixels.get() + size);
    return true;
}

}  // namespace

// stb_image's own limit on a side (STBI_MAX_DIMENSIONS) is left at its default, far above ours:
// below the size a header states, stb would fail to measure the picture and report only "unknown
// image type", where our own check names the size and the limit.

bool StbImageDecoder::DecodeFile(const char* path, DecodedImage& out, std::string& error) {
    if (path == nullptr) {
        error = "no file name";
        return false;
    }
    int width = 0, height = 0, stored = 0;
    if (!stbi_info(path, &width, &height, &stored)) {
        error = Reason(std::string("cannot read picture ") + path);
        return false;
    }
    if (!CheckSize(width, height, error)) return false;
    const int channels = OutputChannels(stored);
    StbPixels pixels(stbi_load(path, &width, &height, &stored, channels));
    if (!pixels) {
        error = Reason(std::string("cannot decode picture ") + path);
        return false;
    }
    // The file may have changed between the two reads: check the size that was decoded.
    if (!CheckSize(width, height, error)) return false;
    return Fill(std::move(pixels), width, height, channels, out);
}

bool StbImageDecoder::DecodeMemory(const void* bytes, size_t length, DecodedImage& out,
                                   std::string& error) {
    if (bytes == nullptr || length == 0) {
        error = "no picture data";
        return false;
    }
    if (length > static_cast<size_t>(INT_MAX)) {
        error = "picture data too long";
        return false;
    }
    const auto* data = static_cast<const stbi_uc*>(bytes);
    const int size = static_cast<int>(length);
    int width = 0, height = 0, stored = 0;
    if (!stbi_info_from_memory(data, size, &width, &height, &stored)) {
        error = Reason("cannot read picture");
        return false;
    }
    if (!CheckSize(width, height, error)) return false;
    const int channels = OutputChannels(stored);
    StbPixels pixels(stbi_load_from_memory(data, size, &width, &height, &stored, channels));
    if (!pixels) {
        error = Reason("cannot decode picture");
        return false;
    }
    return Fill(std::move(pixels), width, height, channels, out);
}
