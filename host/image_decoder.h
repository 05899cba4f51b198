// Decoder of compressed pictures (JPEG, PNG, GIF) into 8-bit RGB or RGBA pixels, top row first.
// The engine reaches it through CurrentImageDecoder(); the program installs the platform's one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    int width = 0;
    int height = 0;
    int channels = 0;     // 3 (RGB) or 4 (RGBA)
    int bytesPerRow = 0;  // width * channels: rows are packed
    std::vector<uint8_t> pixels;  // top row first
};

class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
    // False, with a reason in `error`, when the data is not a picture this decoder can read
    // safely (unknown format, truncated, or larger than the decoder's limit).
    virtual bool DecodeFile(const char* path, DecodedImage& out, std::string& error) = 0;
    virtual bool DecodeMemory(const void* bytes, size_t length, DecodedImage& out,
                              std::string& error) = 0;
};

namespace host_detail {
inline ImageDecoder*& DecoderSlot() {
    static ImageDecoder* slot = nullptr;
    return slot;
}
}  // namespace host_detail

// The installed decoder, or nullptr when the program installed none.
inline ImageDecoder* CurrentImageDecoder() { return host_detail::DecoderSlot(); }
// Installs a decoder (not owned); nullptr removes it.
inline void SetImageDecoder(ImageDecoder* decoder) { host_detail::DecoderSlot() = decoder; }
