#include "platform/stb_image_decoder.h"

#include "assets/regular_file.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

// Only the formats the saver reads are compiled in: less code facing untrusted files.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
// stb_image's own limit on a side (STBI_MAX_DIMENSIONS) is left at its default, far above ours:
// below the size a header states, stb would fail to measure the picture and report only "unknown
// image type", where our own check names the size and the limit.
//
// stb leaves its decoder state uninitialised; zeroed memory makes a Huffman table that a file
// never defines harmless instead of a read through whatever the heap held.
#define STBI_MALLOC(size) calloc(1, size)
#define STBI_REALLOC(pointer, size) realloc(pointer, size)
#define STBI_FREE(pointer) free(pointer)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wshadow"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

// stb_image 2.27, the version Debian 12 ships, trusts two things in a JPEG that a damaged or
// hostile file can break: a Huffman table of more than 256 codes overruns the decoder's tables,
// and a scan that uses a table never defined decodes through tables that hold nothing. Such files
// are refused before stb sees them. The walk follows stb's own: segments by their length up to
// the first scan; after it every marker-like byte pair counts, since stb resynchronises on any.
class JpegTableCheck {
  public:
    JpegTableCheck(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Sound(std::string& error) {
        // stb takes any run of 0xff fill bytes before the start-of-image marker, as before every
        // marker, so the walk must too: "ff ff ff d8" is a JPEG to stb.
        if (size_ < 2 || data_[0] != 0xff) return true;  // not a JPEG
        size_t p = 1;
        while (p < size_ && data_[p] == 0xff) ++p;
        if (p >= size_ || data_[p] != 0xd8) return true;  // not a JPEG
        ++p;
        while (p < size_) {
            if (data_[p] != 0xff) {
                ++p;  // stb skips stray bytes between segments
                continue;
            }
            while (p < size_ && data_[p] == 0xff) ++p;
            if (p >= size_) break;
            const uint8_t marker = data_[p++];
            if (!CheckSegment(marker, p, error)) return false;
            if (marker == 0xda) return CheckAfterFirstScan(p, error);
            if (!HasLength(marker)) continue;
            p += Word(p);
        }
        return true;
    }

  private:
    // Markers that stand alone; every other one stb accepts is followed by a length.
    static bool HasLength(uint8_t marker) {
        return !(marker == 0xd8 || marker == 0xd9 || marker == 0x01 ||
                 (marker >= 0xd0 && marker <= 0xd7));
    }

    bool CheckAfterFirstScan(size_t p, std::string& error) {
        for (; p + 1 < size_; ++p) {
            if (data_[p] != 0xff || data_[p + 1] == 0xff || data_[p + 1] == 0x00) continue;
            if (!CheckSegment(data_[p + 1], p + 2, error)) return false;
        }
        return true;
    }

    bool CheckSegment(uint8_t marker, size_t segment, std::string& error) {
        if (marker == 0xc2) progressive_ = true;
        if (marker == 0xc4 && !DefineTables(segment)) {
            error = "damaged JPEG: a Huffman table holds more than 256 codes";
            return false;
        }
        if (marker == 0xda && !ScanTablesDefined(segment)) {
            error = "damaged JPEG: a scan uses a Huffman table that was never defined";
            return false;
        }
        return true;
    }

    // Bytes past the end read as 0, as stb reads them.
    uint8_t At(size_t i) const { return i < size_ ? data_[i] : 0; }
    size_t Word(size_t i) const { return static_cast<size_t>(At(i)) << 8 | At(i + 1); }

    bool DefineTables(size_t segment) {
        long left = static_cast<long>(Word(segment)) - 2;
        size_t i = segment + 2;
        while (left > 0 && i < size_) {
            const uint8_t kinds = At(i++);
            const int tableClass = kinds >> 4, slot = kinds & 15;
            if (tableClass > 1 || slot > 3) return true;  // stb refuses this itself
            size_t codes = 0;
            for (int length = 0; length < 16; ++length) codes += At(i++);
            if (codes > 256) return false;
            defined_[tableClass][slot] = true;
            i += codes;
            left -= 17 + static_cast<long>(codes);
        }
        return true;
    }

    bool ScanTablesDefined(size_t segment) const {
        const size_t components = At(segment + 2);
        const size_t parameters = segment + 3 + 2 * components;
        const uint8_t spectralStart = At(parameters);
        const uint8_t approximationHigh = At(parameters + 2) >> 4;
        // Progressive scans use the DC table (first DC pass) or the AC table, never both.
        const bool usesDC = !progressive_ || (spectralStart == 0 && approximationHigh == 0);
        const bool usesAC = !progressive_ || spectralStart != 0;
        for (size_t k = 0; k < components && k < 4; ++k) {
            const uint8_t tables = At(segment + 4 + 2 * k);
            const int dc = tables >> 4, ac = tables & 15;
            if (dc > 3 || ac > 3) return true;  // stb refuses this itself
            if ((usesDC && !defined_[0][dc]) || (usesAC && !defined_[1][ac])) return false;
        }
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    bool progressive_ = false;
    bool defined_[2][4] = {};
};

// stb_image 2.27 trusts two things in a PNG's image-data chunks: it grows its buffer to the
// length a chunk claims before reading it, so a chunk of a few bytes claiming 1.6 GB allocates
// 1.6 GB; and it copies an empty first chunk into a buffer it has not allocated (a copy of nothing
// to a null pointer, which C does not allow). PNGs with a chunk running past the end of the file,
// or an empty chunk before the image data begins, are refused: no encoder writes either.
bool PngDataSound(const uint8_t* data, size_t size, std::string& error) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return true;  // not a PNG
    bool dataBegun = false;
    size_t p = 8;
    while (p + 8 <= size) {
        const uint32_t length = uint32_t(data[p]) << 24 | uint32_t(data[p + 1]) << 16 |
                                uint32_t(data[p + 2]) << 8 | data[p + 3];
        const bool imageData = std::memcmp(data + p + 4, "IDAT", 4) == 0;
        if (length > size - p - 8) {
            error = "damaged PNG: a chunk runs past the end of the file";
            return false;
        }
        if (imageData && length == 0 && !dataBegun) {
            error = "damaged PNG: an empty image data chunk comes before the image data";
            return false;
        }
        if (std::memcmp(data + p + 4, "IEND", 4) == 0) return true;
        dataBegun = dataBegun || imageData;
        p += 12 + size_t(length);  // length, type, data, checksum
    }
    return true;
}

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};
using StbPixels = std::unique_ptr<stbi_uc, StbFree>;

std::string Reason(const std::string& what) {
    const char* reason = stbi_failure_reason();
    return what + ": " + (reason != nullptr ? reason : "unknown error");
}

// Grey becomes RGB and grey+alpha RGBA; colour keeps its own channel count.
int OutputChannels(int stored) {
    return (stored == 2 || stored == 4) ? 4 : 3;
}

bool CheckSize(int width, int height, std::string& error) {
    if (width <= 0 || height <= 0) {
        error = "picture has no pixels";
        return false;
    }
    if (width > StbImageDecoder::kMaxSide || height > StbImageDecoder::kMaxSide ||
        static_cast<long long>(width) * height > StbImageDecoder::kMaxPixels) {
        error = "picture too large: " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels (at most " + std::to_string(StbImageDecoder::kMaxSide) + " per side and " +
                std::to_string(StbImageDecoder::kMaxPixels) + " in all)";
        return false;
    }
    return true;
}

bool Fill(StbPixels pixels, int width, int height, int channels, DecodedImage& out) {
    const size_t size = static_cast<size_t>(width) * height * channels;
    out.width = width;
    out.height = height;
    out.channels = channels;
    out.bytesPerRow = width * channels;
    out.pixels.assign(pixels.get(), pixels.get() + size);
    return true;
}

}  // namespace

bool StbImageDecoder::DecodeFile(const char* path, DecodedImage& out, std::string& error) {
    // Read whole through a descriptor checked to be a regular file of a sane size (a FIFO would
    // block the open), then decoded from memory: one check of the bytes that are decoded, with
    // no window for the file to change in between.
    RegularFile file;
    std::string bytes;
    if (!file.Open(path, kMaxFileBytes, error) || !file.ReadAll(bytes, error)) return false;
    return DecodeMemory(bytes.data(), bytes.size(), out, error);
}

bool StbImageDecoder::DecodeMemory(const void* bytes, size_t length, DecodedImage& out,
                                   std::string& error) {
    if (bytes == nullptr || length == 0) {
        error = "no picture data";
        return false;
    }
    if (length > static_cast<size_t>(INT_MAX)) {
        error = "picture data too long";
        return false;
    }
    const auto* data = static_cast<const stbi_uc*>(bytes);
    const int size = static_cast<int>(length);
    if (!JpegTableCheck(data, length).Sound(error) || !PngDataSound(data, length, error)) {
        return false;
    }
    int width = 0, height = 0, stored = 0;
    if (!stbi_info_from_memory(data, size, &width, &height, &stored)) {
        error = Reason("cannot read picture");
        return false;
    }
    if (!CheckSize(width, height, error)) return false;
    const int channels = OutputChannels(stored);
    StbPixels pixels(stbi_load_from_memory(data, size, &width, &height, &stored, channels));
    if (!pixels) {
        error = Reason("cannot decode picture");
        return false;
    }
    return Fill(std::move(pixels), width, height, channels, out);
}
