// The decoder of our own resource packs' pictures: stb_image for JPEG, PNG and GIF (the first
// frame of an animation), small, with no loader modules, so that every program and test decodes
// the packs alike. Pictures from outside go through the desktop's decoder (PixbufPictureDecoder).
// Grey pictures come out as RGB and grey+alpha as RGBA; 16-bit pictures as 8-bit.
#pragma once

#include "host/image_decoder.h"

class StbImageDecoder : public ImageDecoder {
  public:
    // Pictures are measured from their header before any decoding; larger ones are refused so that
    // a hostile header cannot make the decoder allocate gigabytes.
    static constexpr int kMaxSide = 16384;
    static constexpr long long kMaxPixels = 64ll * 1024 * 1024;
    // Files are read whole: a picture file larger than this is refused before reading.
    static constexpr unsigned long long kMaxFileBytes = 128ull * 1024 * 1024;

    bool DecodeFile(const char* path, DecodedImage& out, std::string& error) override;
    bool DecodeMemory(const void* bytes, size_t length, DecodedImage& out,
                      std::string& error) override;
};
