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

int Read16(const uint8_t* data) {
    return data[0] | (data[1] << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HeadlessGL gl;
    static const bool ready = gl.Create(8, 8);
    if (!ready) std::abort();
    static FuzzDecoder decoder;
    SetImageDecoder(&decoder);
    if (size < 7) return 0;
    DecodedImage& image = decoder.image;
    image.width = Read16(data);
    image.height = Read16(data + 2);
    image.channels = data[4] % 8;
    image.bytesPerRow = Read16(data + 5);
    // The pixels live in a buffer of exactly their own size, so that reading past it is caught.
    image.pixels.assign(data + 7, data + size);
    image.pixels.shrink_to_fit();
    Texture tex;
    loadPicFile("fuzz", &tex);
    return 0;
}
