// Pictures as a decoder may describe them, however inconsistent: the ground-picture loader must
// refuse what does not add up and never read outside the pixels it was given.
// Input: width (2 bytes), height (2 bytes), channels (1), bytes per row (2), then the pixels.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/background_pictures.h"
#include "core/image_decoder.h"
#include "platform/headless_gl.h"

namespace {

class FuzzDecoder : public ImageDecoder {
  public:
    bool DecodeFile(const char*, DecodedImage& out, std::string&) override {
        out = std::move(image);
        return true;
    }
    bool DecodeMemory(const void*, size_t, DecodedImage&, std::string&) override { return false; }
    DecodedImage image;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HeadlessGL gl;
    static const bool ready = gl.Create(8, 8);
    if (!ready) std::abort();
    static FuzzDecoder decoder;
    SetImageDecoder(&decoder);
    if (size < 7) return 0;
    const auto read16 = [data](int at) { return data[at] | (data[at + 1] << 8); };
    decoder.image = {read16(0), read16(2), data[4] % 8, read16(5), {}};
    // The pixels live in a buffer of exactly their own size, so that reading past it is caught.
    decoder.image.pixels.assign(data + 7, data + size);
    decoder.image.pixels.shrink_to_fit();
    Texture tex;
    loadPicFile("fuzz", &tex);
    return 0;
}
