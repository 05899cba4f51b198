// Pictures from outside (the desktop picture, a folder's pictures, the shipped picture) decode
// through the desktop's own decoder library, gdk-pixbuf, and its installed loaders: JPEG, PNG,
// GIF, TIFF, BMP, WebP, SVG, and JPEG XL or AVIF where their loaders are installed. EXIF
// orientation is applied.
//
// A picture is never held larger than the ground needs: the file is checked to be a regular file
// of a sane size before a byte is read, its pixel count is checked from its header before any
// decoding, and it is decoded at most kMaxDecodedSide pixels a side (JPEG, WebP and SVG decode at
// the reduced size directly; other formats are reduced right after decoding). The file is fed to
// the decoder in pieces, so that a request to end the program stops a long decode at once.
//
// The pictures inside our own resource packs (DecodeMemory) keep going through stb_image.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/stb_image_decoder.h"

class PixbufPictureDecoder : public ImageDecoder {
  public:
    // A picture file larger than this is refused before reading: no wallpaper comes near it.
    static constexpr std::uint64_t kMaxFileBytes = 128ull * 1024 * 1024;
    // Pixels a picture may have. Formats decoded whole before they are reduced need memory for
    // every pixel (8192 x 8192 as RGBA is 256 MB); those that decode at the reduced size may be
    // larger.
    static constexpr long long kMaxPixels = 64ll * 1024 * 1024;
    static constexpr long long kMaxPixelsReducedWhileDecoding = 256ll * 1024 * 1024;
    // The largest ground texture; larger pictures are reduced to fit, keeping their proportions.
    static constexpr int kMaxDecodedSide = 2048;

    // `stop`, when given, is the program's request to end: a decode under way gives up at once.
    explicit PixbufPictureDecoder(const std::atomic<bool>* stop) : stop_(stop) {}
    PixbufPictureDecoder() : PixbufPictureDecoder(nullptr) {}

    bool DecodeFile(const char* path, DecodedImage& out, std::string& error) override;
    bool DecodeMemory(const void* bytes, size_t length, DecodedImage& out,
                      std::string& error) override;
    bool Interrupted() const override { return interrupted_; }

  private:
    const std::atomic<bool>* stop_;
    bool interrupted_ = false;
    StbImageDecoder packs_;
};
