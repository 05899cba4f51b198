#include "assets/tga_writer.h"

#include <cstring>

namespace {

constexpr size_t kMaxPacket = 128;

void PutPixel(std::vector<uint8_t>& out, const uint8_t* pixel, size_t channels) {
    out.push_back(pixel[2]);
    out.push_back(pixel[1]);
    out.push_back(pixel[0]);
    if (channels == 4) out.push_back(pixel[3]);
}

// Length of the run of pixels equal to row[start] (at most one packet long).
size_t RunLength(const uint8_t* row, size_t start, size_t width, size_t channels) {
    size_t length = 1;
    while (start + length < width && length < kMaxPacket &&
           std::memcmp(row + (start + length) * channels, row + start * channels, channels) == 0) {
        ++length;
    }
    return length;
}

void EncodeRow(std::vector<uint8_t>& out, const uint8_t* row, size_t width, size_t channels) {
    size_t x = 0;
    while (x < width) {
        const size_t run = RunLength(row, x, width, channels);
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(127 + run));
            PutPixel(out, row + x * channels, channels);
            x += run;
            continue;
        }
        // A raw packet runs until the next pair of equal pixels starts (or the packet is full).
        size_t count = 1;
        while (x + count < width && count < kMaxPacket &&
               RunLength(row, x + count, width, channels) < 2) {
            ++count;
        }
        out.push_back(static_cast<uint8_t>(count - 1));
        for (size_t i = 0; i < count; ++i) PutPixel(out, row + (x + i) * channels, channels);
        x += count;
    }
}

}  // namespace

std::vector<uint8_t> EncodeTGA(const uint8_t* pixels, uint32_t width, uint32_t height, int channels,
                               TgaCoding coding) {
    if (pixels == nullptr || width == 0 || height == 0 || width > 65535 || height > 65535 ||
        (channels != 3 && channels != 4)) {
        return {};
    }
    const bool compressed = coding == TgaCoding::kRunLength;
    std::vector<uint8_t> out(18, 0);
    out[2] = compressed ? 10 : 2;
    out[12] = static_cast<uint8_t>(width);
    out[13] = static_cast<uint8_t>(width >> 8);
    out[14] = static_cast<uint8_t>(height);
    out[15] = static_cast<uint8_t>(height >> 8);
    out[16] = static_cast<uint8_t>(channels * 8);
    out[17] = channels == 4 ? 8 : 0;  // alpha bits; origin bottom-left

    const size_t stride = static_cast<size_t>(width) * channels;
    out.reserve(18 + stride * height);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + y * stride;
        if (compressed) {
            EncodeRow(out, row, width, static_cast<size_t>(channels));
        } else {
            for (size_t x = 0; x < width; ++x) {
                PutPixel(out, row + x * channels, static_cast<size_t>(channels));
            }
        }
    }
    return out;
}
