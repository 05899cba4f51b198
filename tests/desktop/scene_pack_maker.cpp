// Writes a scene pack of plain grey pictures into a folder, so that the saver can set its scene
// up and draw the ground where the generated packs have not been built.
#include <cstdio>
#include <string>
#include <vector>

#include "assets/pack_layout.h"
#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "assets/tga_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    PackWriter pack;
    const std::vector<uint8_t> grey(8 * 8 * 4, 128);
    for (int lump = 0; lump < pack_layout::kSceneSlotCount; ++lump)
        pack.AddLump(kLumpTGA, 0, EncodeTGA(grey.data(), 8, 8, 4, TgaCoding::kUncompressed));
    std::string error;
    if (!pack.WriteFile(std::string(argv[1]) + "/" + pack_layout::kScenePack, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
