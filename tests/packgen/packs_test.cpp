// The generated packs read back through the engine's pack reader and picture decoders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "assets/pack_layout.h"
#include "assets/resfile.h"
#include "assets/tga.h"
#include "platform/stb_image_decoder.h"
#include "tests/packgen/generated_art.h"
#include "tests/support/test_files.h"

using generated_art::Folder;
using test_files::ReadBytes;

namespace {

struct Picture {
    uint32_t kind = 0;
    int32_t mode = 0;
    uint32_t width = 0, height = 0;
    bool decoded = false;
};

// Decodes lump n of an open pack with the decoder the engine uses for its kind.
Picture ReadPicture(RESFILE& pack, int n) {
    const RESENTRY& e = pack.directory[n];
    Picture p{e.kind, e.mode};
    void* data = nullptr;
    if (!pack.LoadData(n, &data)) return p;
    const std::unique_ptr<uint8_t[]> bytes(static_cast<uint8_t*>(data));
    if (e.kind == kLumpTGA) {
        Texture t;
        pack.SeekLump(n);
        p.decoded = LoadTGA2(&t, &pack.stream, e.size);
        p.width = t.width, p.height = t.height;
    } else if (e.kind == kLumpJPEG) {
        DecodedImage image;
        std::string error;
        p.decoded = StbImageDecoder().DecodeMemory(bytes.get(), e.size, image, error);
        p.width = uint32_t(image.width), p.height = uint32_t(image.height);
    }
    return p;
}

TEST(GeneratedPacks, SceneSlotsHoldThePicturesTheSceneExpects) {
    RESFILE pack;
    ASSERT_TRUE(pack.Open((Folder() + "/" + pack_layout::kScenePack).c_str()));
    ASSERT_GE(pack.header.lumpCount, uint32_t(pack_layout::kSceneSlotCount));
    std::vector<Picture> slots;
    for (uint32_t n = 0; n < pack.header.lumpCount; ++n) {
        slots.push_back(ReadPicture(pack, n));
        EXPECT_TRUE(slots[n].decoded) << "slot " << n;  // only TGA and JPEG lumps decode
    }
    // The footprint takes its alpha from its brightness; message strips span the screen's text.
    EXPECT_EQ(slots[pack_layout::kFootprintSlot].mode, 2);
    EXPECT_EQ(slots[pack_layout::kFirstMessageSlot].width, 512u);
}

TEST(GeneratedPacks, SkinsAreThreeJpegCoatsAndTheModelsLoad) {
    RESFILE skins;
    ASSERT_TRUE(skins.Open((Folder() + "/" + pack_layout::kSkinPack).c_str()));
    ASSERT_EQ(skins.header.lumpCount, 3u);
    for (int k = 0; k < 3; ++k) {
        const Picture p = ReadPicture(skins, k);
        EXPECT_TRUE(p.kind == kLumpJPEG && p.decoded && p.width == p.height && p.width >= 256u)
            << k;
    }

    RESFILE toyPack;
    ASSERT_TRUE(toyPack.Open((Folder() + "/" + pack_layout::kToyPack).c_str()));
    ASSERT_TRUE(toyPack.SeekLump(0));
    MS3D toy;
    ASSERT_TRUE(toy.LoadFromFStream(toyPack.stream, toyPack.directory[0].size));
    EXPECT_EQ(toy.groupCount, 1);
    EXPECT_EQ(toy.materialCount, 1);

    const std::vector<uint8_t> fallback = ReadBytes(Folder() + "/" + pack_layout::kFallbackPicture);
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(StbImageDecoder().DecodeMemory(fallback.data(), fallback.size(), image, error))
        << error;
    EXPECT_TRUE(image.width >= 1280 && image.height >= 720);
}

TEST(GeneratedPacks, TwoRunsWriteTheSameBytes) {
    // The build's run and this one: same program, same bytes.
    const std::string again = generated_art::RunGenerator();
    ASSERT_FALSE(again.empty());
    for (const char* name : pack_layout::kAllFiles) {
        const std::vector<uint8_t> first = ReadBytes(Folder() + "/" + name);
        ASSERT_FALSE(first.empty()) << name << " is missing from the build's resources";
        EXPECT_EQ(first, ReadBytes(again + "/" + name)) << name << " differs between two runs";
        std::remove((again + "/" + name).c_str());
    }
    rmdir(again.c_str());
}

TEST(GeneratedPacks, TheProgramRefusesAFolderItCannotWriteAndWrongArguments) {
    const std::string program = std::string(VELMORA_BIN_DIR) + "/velmora-packgen";
    EXPECT_NE(std::system((program + " /nonexistent/folder/below 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((program + " --bogus 2>/dev/null").c_str()), 0);
}

}  // namespace
