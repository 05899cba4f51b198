#include "picture_files.h"

#include <string>

#include "platform/image_encoder.h"

namespace {

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBE32(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    PutBE32(png, Crc32(body.data(), body.size()));
}

std::vector<uint8_t> Signature() {
    return {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
}

std::vector<uint8_t> Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour) {
    std::vector<uint8_t> ihdr;
    PutBE32(ihdr, width);
    PutBE32(ihdr, height);
    ihdr.insert(ihdr.end(), {depth, colour, 0, 0, 0});
    return ihdr;
}

// zlib stream of stored blocks (the data must fit one block here).
std::vector<uint8_t> Stored(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> z = {0x78, 0x01, 0x01};
    const auto length = static_cast<uint16_t>(data.size());
    z.insert(z.end(), {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                       static_cast<uint8_t>(~length), static_cast<uint8_t>(~length >> 8)});
    z.insert(z.end(), data.begin(), data.end());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(z, (b << 16) | a);
    return z;
}

}  // namespace

std::vector<uint8_t> MakePNG(const std::vector<uint8_t>& pixels, int width, int height,
                             int channels) {
    return EncodePng(pixels.data(), width, height, channels);
}

std::vector<uint8_t> MakeJPEG(const std::vector<uint8_t>& pixels, int width, int height,
                              int channels) {
    return EncodeJpeg(pixels.data(), width, height, channels, 100);
}

std::vector<uint8_t> Make16BitPNG(const std::vector<uint16_t>& samples, int width, int height) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        for (int i = 0; i < width * 3; ++i) {
            const uint16_t sample = samples[static_cast<size_t>(y * width * 3 + i)];
            raw.push_back(static_cast<uint8_t>(sample >> 8));
            raw.push_back(static_cast<uint8_t>(sample));
        }
    }
    std::vector<uint8_t> png = Signature();
    Chunk(png, "IHDR", Header(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 16, 2));
    Chunk(png, "IDAT", Stored(raw));
    Chunk(png, "IEND", {});
    return png;
}

std::vector<uint8_t> PNGHeaderOnly(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = Signature();
    Chunk(png, "IHDR", Header(width, height, 8, 2));
    return png;
}
