// The generated packs read back through the engine's pack reader and picture decoders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include <cmath>
#include <set>
#include <string>

#include "assets/pack_layout.h"
#include "assets/resfile.h"
#include "assets/tga.h"
#include "model/ms3d.h"
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
    int bits = 0;
    bool runLength = false;
    bool decoded = false;
};

// Decodes lump n of an open pack with the decoder the engine uses for its kind.
Picture ReadPicture(RESFILE& pack, int n) {
    Picture p;
    const RESENTRY& e = pack.directory[n];
    p.kind = e.kind;
    p.mode = e.mode;
    void* data = nullptr;
    if (!pack.LoadData(n, &data)) return p;
    const std::unique_ptr<uint8_t[]> bytes(static_cast<uint8_t*>(data));
    if (e.kind == kLumpTGA) {
        p.runLength = e.size > 2 && bytes[2] == 10;
        Texture t;
        pack.SeekLump(n);
        p.decoded = LoadTGA2(&t, &pack.stream, e.size);
        p.width = t.width, p.height = t.height, p.bits = int(t.bpp);
    } else if (e.kind == kLumpJPEG) {
        DecodedImage image;
        std::string error;
        p.decoded = StbImageDecoder().DecodeMemory(bytes.get(), e.size, image, error);
        p.width = uint32_t(image.width), p.height = uint32_t(image.height);
        p.bits = 8 * image.channels;
    }
    return p;
}

bool IsJpeg(const std::vector<uint8_t>& b) {
    return b.size() > 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

TEST(GeneratedPacks, SceneSlotsHoldThePicturesTheSceneExpects) {
    RESFILE pack;
    ASSERT_TRUE(pack.Open((Folder() + "/" + pack_layout::kScenePack).c_str()));
    ASSERT_GE(pack.header.lumpCount, uint32_t(pack_layout::kSceneSlotCount));
    std::vector<Picture> slots;
    for (uint32_t n = 0; n < pack.header.lumpCount; ++n) slots.push_back(ReadPicture(pack, n));
    for (size_t n = 0; n < slots.size(); ++n) {
        EXPECT_TRUE(slots[n].kind == kLumpTGA || slots[n].kind == kLumpJPEG) << "slot " << n;
        EXPECT_TRUE(slots[n].decoded) << "slot " << n;
    }
    using namespace pack_layout;
    EXPECT_EQ(slots[kBannerCornerSlot].width, 256u);
    EXPECT_EQ(slots[kBannerCornerSlot].height, 32u);
    for (int n = kFirstMessageSlot; n < kFirstMessageSlot + kMessageCount; ++n)
        EXPECT_TRUE(slots[n].width == 512u && slots[n].height == 32u) << "message strip " << n;
    // The footprint takes its alpha from its brightness.
    EXPECT_EQ(slots[kFootprintSlot].kind, uint32_t(kLumpTGA));
    EXPECT_EQ(slots[kFootprintSlot].mode, 2);
    for (int n = kFirstToySkinSlot; n < kSceneSlotCount; ++n)
        EXPECT_GT(slots[n].width, 0u) << "yarn skin " << n;

    // Between them the lumps exercise every decoder path: JPEG, and TGA uncompressed and
    // run-length at 24 and 32 bits.
    std::set<std::pair<int, bool>> tgaCodings;
    bool jpeg = false;
    for (const Picture& p : slots) {
        if (p.kind == kLumpTGA) tgaCodings.insert({p.bits, p.runLength});
        jpeg = jpeg || p.kind == kLumpJPEG;
    }
    EXPECT_TRUE(jpeg);
    EXPECT_EQ(tgaCodings.size(), 4u);
}

TEST(GeneratedPacks, SkinsAreThreeJpegCoatsAndTheModelsLoad) {
    RESFILE skins;
    ASSERT_TRUE(skins.Open((Folder() + "/" + pack_layout::kSkinPack).c_str()));
    ASSERT_EQ(skins.header.lumpCount, 3u);
    for (int k = 0; k < 3; ++k) {
        const Picture p = ReadPicture(skins, k);
        EXPECT_EQ(p.kind, uint32_t(kLumpJPEG));
        EXPECT_TRUE(p.decoded);
        EXPECT_EQ(p.width, p.height);
        EXPECT_GE(p.width, 256u);
    }

    RESFILE toyPack;
    ASSERT_TRUE(toyPack.Open((Folder() + "/" + pack_layout::kToyPack).c_str()));
    ASSERT_TRUE(toyPack.SeekLump(0));
    MS3D toy;
    ASSERT_TRUE(toy.LoadFromFStream(toyPack.stream, toyPack.directory[0].size));
    EXPECT_EQ(toy.groupCount, 1);
    EXPECT_EQ(toy.materialCount, 1);
    // A ball of 0.7 world units at the toy's scale of 0.035.
    toy.Scale(0.035f);
    double largest = 0, smallest = 1e9;
    for (const MS3DVERTEX& v : toy.vertices) {
        const double r = std::sqrt(v.position[0] * v.position[0] + v.position[1] * v.position[1] +
                                   v.position[2] * v.position[2]);
        largest = std::max(largest, r);
        smallest = std::min(smallest, r);
    }
    EXPECT_NEAR(largest, 0.7, 0.02);
    EXPECT_GT(smallest, 0.6);

    const std::vector<uint8_t> fallback = ReadBytes(Folder() + "/" + pack_layout::kFallbackPicture);
    ASSERT_TRUE(IsJpeg(fallback));
    StbImageDecoder decoder;
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(decoder.DecodeMemory(fallback.data(), fallback.size(), image, error)) << error;
    EXPECT_GE(image.width, 1280);
    EXPECT_GE(image.height, 720);
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
