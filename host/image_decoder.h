// Decoder of compressed pictures into 8-bit RGB or RGBA pixels, top row first: picture files from
// outside (the desktop picture, a folder's pictures, the shipped picture) and the pictures inside
// our own resource packs. The engine reaches it through CurrentImageDecoder(); the program
// installs the platform's one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    int width = 0;
    int height = 0;
    int channels = 0;             // 3 (RGB) or 4 (RGBA)
    int bytesPerRow = 0;          // width * channels: rows are packed
    std::vector<uint8_t> pixels;  // top row first
};

class ImageDecoder {
  public:
    virtual ~ImageDecoder() = default;
    // False, with the reason in words in `error` ("permission denied", "is not a picture"; the
    // path is the caller's to add), when the file is not a picture this decoder can read safely
    // (not a regular file, unknown format, damaged, or larger than the decoder's limits). A
    // picture larger than a ground texture needs may come back reduced.
    virtual bool DecodeFile(const char* path, DecodedImage& out, std::string& error) = 0;
    virtual bool DecodeMemory(const void* bytes, size_t length, DecodedImage& out,
                              std::string& error) = 0;
    // True when the last failure came from the program being asked to end, not from the file:
    // the caller then gives up quietly instead of trying other pictures.
    virtual bool Interrupted() const { return false; }
};

namespace host_detail {
inline ImageDecoder*& DecoderSlot() {
    static ImageDecoder* slot = nullptr;
    return slot;
}
}  // namespace host_detail

// The installed decoder, or nullptr when the program installed none.
inline ImageDecoder* CurrentImageDecoder() {
    return host_detail::DecoderSlot();
}
// Installs a decoder (not owned); nullptr removes it.
inline void SetImageDecoder(ImageDecoder* decoder) {
    host_detail::DecoderSlot() = decoder;
}
