// Writes the seed packs of the pack fuzz target into the folder named on the command line.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "assets/tga_writer.h"
#include "platform/image_encoder.h"

namespace {

std::vector<uint8_t> Pattern(int width, int height, int channels) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height * channels; ++i) {
        pixels.push_back(static_cast<uint8_t>(i % 7 < 3 ? 0 : i * 29));
    }
    return pixels;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const auto rgb = Pattern(4, 3, 3);
    const auto rgba = Pattern(3, 2, 4);
    const std::vector<uint8_t> jpeg = EncodeJpeg(rgb.data(), 4, 3, 3, 50);
    const std::vector<uint8_t> png = EncodePng(rgba.data(), 3, 2, 4);

    PackWriter scene;
    scene.AddLump(kLumpTGA, 1, EncodeTGA(rgb.data(), 4, 3, 3, TgaCoding::kUncompressed));
    scene.AddLump(7, 0, {1, 2, 3, 4});
    scene.AddLump(kLumpTGA, 2, EncodeTGA(rgba.data(), 3, 2, 4, TgaCoding::kRunLength));
    PackWriter skins;
    skins.AddLump(kLumpJPEG, 0, jpeg);
    skins.AddLump(kLumpJPEG, 0, png);
    PackWriter mixed;
    mixed.AddLump(kLumpTGA, 0, EncodeTGA(rgb.data(), 4, 3, 3, TgaCoding::kRunLength));
    mixed.AddLump(kLumpJPEG, 0, png);

    bool ok = scene.WriteFile(folder + "scene.vlm");
    ok &= skins.WriteFile(folder + "skins.vlm");
    ok &= mixed.WriteFile(folder + "mixed.vlm");
    ok &= PackWriter().WriteFile(folder + "empty.vlm");
    // A lump count whose 28-byte entries wrap 32 bits round to a 4-byte directory.
    std::vector<uint8_t> wrapped = mixed.Build();
    PutLE32(wrapped, 12, 0x24924925u);
    std::ofstream(folder + "wrapped-count.vlm", std::ios::binary)
        .write(reinterpret_cast<const char*>(wrapped.data()),
               static_cast<std::streamsize>(wrapped.size()));
    return ok ? 0 : 1;
}
