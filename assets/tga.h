// Decoder of TGA images: 24 or 32 bits per pixel, uncompressed (type 2) or run-length encoded
// (type 10), without image-ID field or colour map. Pixels come out in R, G, B(, A) order, rows in
// stored order. Every failure raises an alert through MessageBox and returns false, leaving the
// record without pixels.
#pragma once

#include <cstdint>
#include <istream>
#include <limits>

#include "assets/texture.h"

// `available` bounds the bytes the image may occupy from the stream's position on (a pack passes
// its lump size): an image whose size claims more pixels than those bytes could hold is refused
// before any pixel memory is allocated.
constexpr uint64_t kUnboundedImage = std::numeric_limits<uint64_t>::max();
// Whatever the data, no image beyond this many pixels is decoded (256 MB at 32 bits).
constexpr uint64_t kMaxTgaPixels = 64ull * 1024 * 1024;

// Reads the 12-byte prefix at the stream's position and decodes the body it announces.
bool LoadTGA2(Texture* t, std::istream* s, uint64_t available = kUnboundedImage);
// Body decoders, with the stream just after the 12-byte prefix.
bool LoadUncompressedTGA2(Texture* t, std::istream* s, uint64_t available = kUnboundedImage);
bool LoadCompressedTGA2(Texture* t, std::istream* s, uint64_t available = kUnboundedImage);
