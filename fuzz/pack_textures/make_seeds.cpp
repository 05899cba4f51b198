// Writes the seed packs of the pack fuzz target into the folder named on the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "assets/tga_writer.h"
#include "platform/image_encoder.h"

int main(int argc, char** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]), 2;
    const std::string folder = std::string(argv[1]) + "/";
    std::vector<uint8_t> pixels;  // 4 x 3 RGB or 3 x 2 RGBA, with runs and noise
    for (int i = 0; i < 36; ++i) pixels.push_back(static_cast<uint8_t>(i % 7 < 3 ? 0 : i * 29));
    PackWriter scene, skins, mixed;
    scene.AddLump(kLumpTGA, 1, EncodeTGA(pixels.data(), 4, 3, 3, TgaCoding::kUncompressed));
    scene.AddLump(7, 0, {1, 2, 3, 4});
    scene.AddLump(kLumpTGA, 2, EncodeTGA(pixels.data(), 3, 2, 4, TgaCoding::kRunLength));
    skins.AddLump(kLumpJPEG, 0, EncodeJpeg(pixels.data(), 4, 3, 3, 50));
    skins.AddLump(kLumpJPEG, 0, EncodePng(pixels.data(), 3, 2, 4));
    mixed.AddLump(kLumpTGA, 0, EncodeTGA(pixels.data(), 4, 3, 3, TgaCoding::kRunLength));
    mixed.AddLump(kLumpJPEG, 0, EncodePng(pixels.data(), 3, 2, 4));
    // A lump count whose 28-byte entries wrap 32 bits round to a 4-byte directory.
    std::vector<uint8_t> wrapped = mixed.Build();
    PutLE32(wrapped, 12, 0x24924925u);
    FILE* out = std::fopen((folder + "wrapped-count.vlm").c_str(), "wb");
    const bool written =
        out && std::fwrite(wrapped.data(), 1, wrapped.size(), out) == wrapped.size();
    if (out) std::fclose(out);
    const bool ok =
        scene.WriteFile(folder + "scene.vlm") && skins.WriteFile(folder + "skins.vlm") &&
        mixed.WriteFile(folder + "mixed.vlm") && PackWriter().WriteFile(folder + "empty.vlm");
    return written && ok ? 0 : 1;
}
