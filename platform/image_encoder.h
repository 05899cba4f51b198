// Encodes 8-bit pixels (rows top first, 1 to 4 channels) as PNG or JPEG in memory: the headless
// renderer's frames, the art generator's pictures and the tests' pictures all go through here.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> EncodePng(const uint8_t* pixels, int width, int height, int channels);
// quality 1..100
std::vector<uint8_t> EncodeJpeg(const uint8_t* pixels, int width, int height, int channels,
                                int quality);
