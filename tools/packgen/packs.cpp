#include "tools/packgen/packs.h"

#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>

#include "assets/pack_layout.h"
#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "cats/dog_anims.h"
#include "model/ms3d_writer.h"
#include "tools/packgen/cat_mesh.h"
#include "tools/packgen/clips.h"
#include "tools/packgen/ms3d_export.h"
#include "tools/packgen/pictures.h"
#include "tools/packgen/skins.h"
#include "tools/packgen/toy.h"

namespace packgen {

namespace {

// Texture modes of TGA lumps: opaque, colour key, brightness as alpha.
constexpr int32_t kOpaque = 0, kColourKey = 1, kBrightnessAlpha = 2;
constexpr uint32_t kDataLump = 0;

bool ModelBytes(const MS3D& model, std::vector<uint8_t>* out, std::string* error) {
    if (WriteMS3D(model, out)) return true;
    *error = "the model writer refused a model";
    return false;
}

bool CatPack(std::vector<uint8_t>* out, std::string* error) {
    const CatModel cat = BuildCatModel();
    std::vector<Pose> frames;
    for (const Body& body : BuildTimeline()) frames.push_back(Solve(body));
    MS3D model = MeshToMS3D(cat.mesh, "cat");
    std::vector<bool> pinned(frames.size(), false);
    pinned.front() = pinned.back() = true;
    for (const DOGANIM& clip : dogAnims) pinned[clip.start] = pinned[clip.end] = true;
    AddAnimation(model, cat.skeleton, frames, float(kFramesPerSecond), pinned);
    std::vector<uint8_t> bytes;
    if (!ModelBytes(model, &bytes, error)) return false;
    PackWriter pack;
    pack.AddLump(kDataLump, 0, std::move(bytes));
    *out = pack.Build();
    return true;
}

std::vector<uint8_t> SkinPack() {
    const CatModel cat = BuildCatModel();
    PackWriter pack;
    for (Coat coat : kCoats) pack.AddLump(kLumpJPEG, 0, EncodeJpeg(PaintCoat(cat, coat), 92));
    return pack.Build();
}

bool ToyPack(std::vector<uint8_t>* out, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ModelBytes(MeshToMS3D(BuildYarnBall(), "yarn"), &bytes, error)) return false;
    PackWriter pack;
    pack.AddLump(kDataLump, 0, std::move(bytes));
    *out = pack.Build();
    return true;
}

// Adds the next lump, which must land in `slot`: the scene finds its pictures by slot.
void PutLump(PackWriter& pack, int slot, uint32_t kind, int32_t mode, std::vector<uint8_t> bytes) {
    if (pack.AddLump(kind, mode, std::move(bytes)) != slot)
        throw std::logic_error("a scene picture landed in another slot than the scene reads");
}

// Slot by slot as the scene reads them; the lumps mix every picture coding the loader knows
// (JPEG; TGA uncompressed and run-length, 24 and 32 bits) with the texture modes that suit them.
std::vector<uint8_t> ScenePack(const Font& font) {
    using namespace pack_layout;
    PackWriter pack;
    PutLump(pack, 0, kLumpJPEG, kOpaque, EncodeJpeg(NightSky(), 90));
    PutLump(pack, kBannerCornerSlot, kLumpTGA, kOpaque, EncodeTga(CornerMark(font), 4, true));
    PutLump(pack, 2, kLumpJPEG, kOpaque, EncodeJpeg(NightSky(), 70));
    PutLump(pack, 3, kLumpTGA, kColourKey, EncodeTga(TitleCard(font), 3, false));
    // The four messages, each coded another way.
    const struct {
        StripBackground background;
        int32_t mode;
        int bytesPerPixel;
        bool runLength;
    } messages[kMessageCount] = {{StripBackground::Transparent, kOpaque, 4, true},
                                 {StripBackground::Transparent, kOpaque, 4, false},
                                 {StripBackground::Black, kBrightnessAlpha, 3, true},
                                 {StripBackground::Key, kColourKey, 3, false}};
    for (int i = 0; i < kMessageCount; ++i) {
        const auto& m = messages[i];
        PutLump(pack, kFirstMessageSlot + i, kLumpTGA, m.mode,
                EncodeTga(MessageStrip(font, kMessages[i], m.background), m.bytesPerPixel,
                          m.runLength));
    }
    PutLump(pack, kFootprintSlot, kLumpTGA, kBrightnessAlpha, EncodeTga(PawPrint(), 3, false));
    static_assert(kToySkinCount == 4, "one coding per yarn skin below");
    PutLump(pack, kFirstToySkinSlot, kLumpJPEG, kOpaque, EncodeJpeg(YarnSkin(0), 90));
    PutLump(pack, kFirstToySkinSlot + 1, kLumpTGA, kOpaque, EncodeTga(YarnSkin(1), 3, true));
    PutLump(pack, kFirstToySkinSlot + 2, kLumpJPEG, kOpaque, EncodeJpeg(YarnSkin(2), 90));
    PutLump(pack, kFirstToySkinSlot + 3, kLumpTGA, kOpaque, EncodeTga(YarnSkin(3), 4, false));
    return pack.Build();
}

}  // namespace

bool BuildResources(std::vector<OutputFile>* files, std::string* error) {
    Font font;
    if (!font.Load(kFontPath)) {
        *error = std::string("cannot read the font ") + kFontPath;
        return false;
    }
    files->clear();
    std::vector<uint8_t> cat, toy, scene;
    try {
        if (!CatPack(&cat, error) || !ToyPack(&toy, error)) return false;
        scene = ScenePack(font);
    } catch (const std::exception& e) {
        // A model that outgrows the file format's 16-bit counts, or a picture out of its slot.
        *error = e.what();
        return false;
    }
    files->push_back({pack_layout::kCatPack, std::move(cat)});
    files->push_back({pack_layout::kSkinPack, SkinPack()});
    files->push_back({pack_layout::kToyPack, std::move(toy)});
    files->push_back({pack_layout::kScenePack, std::move(scene)});
    files->push_back({pack_layout::kFallbackPicture, EncodeJpeg(Courtyard(1920, 1080), 90)});
    for (const OutputFile& f : *files) {
        if (f.bytes.empty()) {
            *error = "could not encode " + f.name;
            return false;
        }
    }
    return true;
}

bool WriteResources(const std::string& folder, std::string* error) {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = "no such folder: " + folder;
        return false;
    }
    std::vector<OutputFile> files;
    if (!BuildResources(&files, error)) return false;
    for (const OutputFile& f : files) {
        const std::string path = folder + "/" + f.name;
        // Through a temporary name and a rename, so an interrupted run leaves no half file.
        const std::string temporary = path + ".part";
        if (!WriteFileBytes(temporary, f.bytes) || std::rename(temporary.c_str(), path.c_str())) {
            *error = "cannot write " + path;
            std::remove(temporary.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace packgen
