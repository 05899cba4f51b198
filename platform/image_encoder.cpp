#include "platform/image_encoder.h"

// Third-party code: its own warnings are not ours to fix.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<uint8_t> EncodePng(const uint8_t* pixels, int width, int height, int channels) {
    std::vector<uint8_t> out;
    stbi_write_png_to_func(Append, &out, width, height, channels, pixels, width * channels);
    return out;
}

std::vector<uint8_t> EncodeJpeg(const uint8_t* pixels, int width, int height, int channels,
                                int quality) {
    std::vector<uint8_t> out;
    stbi_write_jpg_to_func(Append, &out, width, height, channels, pixels, quality);
    return out;
}
