// Encodes TGA images that LoadTGA2 reads: no image-ID field, no colour map, origin bottom-left.
#pragma once

#include <cstdint>
#include <vector>

enum class TgaCoding { kUncompressed, kRunLength };

// `pixels` holds width x height pixels of `channels` bytes (3: R, G, B; 4: R, G, B, A), bottom
// row first. Empty result when the size is 0 or above 65535 per side, or channels is not 3 or 4.
// Run-length packets never cross a row.
std::vector<uint8_t> EncodeTGA(const uint8_t* pixels, uint32_t width, uint32_t height, int channels,
                               TgaCoding coding);
