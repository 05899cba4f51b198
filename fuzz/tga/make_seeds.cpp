// Writes the seed images of the TGA fuzz target into the folder named on the command line.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "assets/tga_writer.h"

namespace {

std::vector<uint8_t> Pattern(uint32_t width, uint32_t height, int channels) {
    std::vector<uint8_t> pixels;
    for (uint32_t i = 0; i < width * height; ++i) {
        for (int c = 0; c < channels; ++c) {
            pixels.push_back(static_cast<uint8_t>(i % 5 < 2 ? 9 * c : i * 37 + c));
        }
    }
    return pixels;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool ok = true;
    for (int channels : {3, 4}) {
        const auto pixels = Pattern(6, 3, channels);
        const std::string depth = std::to_string(channels * 8);
        ok &= Write(folder + "raw" + depth + ".tga",
                    EncodeTGA(pixels.data(), 6, 3, channels, TgaCoding::kUncompressed));
        ok &= Write(folder + "rle" + depth + ".tga",
                    EncodeTGA(pixels.data(), 6, 3, channels, TgaCoding::kRunLength));
    }
    // A run that overruns its 4 x 1 image.
    std::vector<uint8_t> overrun =
        EncodeTGA(Pattern(4, 1, 3).data(), 4, 1, 3, TgaCoding::kRunLength);
    overrun.resize(18);
    overrun.insert(overrun.end(), {0x84, 1, 2, 3});
    ok &= Write(folder + "overrun.tga", overrun);
    return ok ? 0 : 1;
}
