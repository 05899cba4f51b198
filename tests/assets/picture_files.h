// Compressed pictures made in memory for the decoder tests.
#pragma once

#include <cstdint>
#include <vector>

// `pixels` top row first, `channels` 1 to 4.
std::vector<uint8_t> MakePNG(const std::vector<uint8_t>& pixels, int width, int height,
                             int channels);
std::vector<uint8_t> MakeJPEG(const std::vector<uint8_t>& pixels, int width, int height,
                              int channels);
// A 16-bit RGB PNG (big-endian samples, as PNG stores them) with stored deflate blocks.
std::vector<uint8_t> Make16BitPNG(const std::vector<uint16_t>& samples, int width, int height);
// Only the signature and the header chunk of a PNG of the given size: enough to be measured,
// nothing to decode.
std::vector<uint8_t> PNGHeaderOnly(uint32_t width, uint32_t height);
