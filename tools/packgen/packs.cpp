#include "tools/packgen/packs.h"

#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>

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

// Slot by slot as the scene reads them; the lumps mix every picture coding the loader knows
// (JPEG; TGA uncompressed and run-length, 24 and 32 bits) with the texture modes that suit them.
std::vector<uint8_t> ScenePack(const Font& font) {
    PackWriter pack;
    pack.AddLump(kLumpJPEG, kOpaque, EncodeJpeg(NightSky(), 90));              // 0
    pack.AddLump(kLumpTGA, kOpaque, EncodeTga(CornerMark(font), 4, true));     // 1
    pack.AddLump(kLumpJPEG, kOpaque, EncodeJpeg(NightSky(), 70));              // 2
    pack.AddLump(kLumpTGA, kColourKey, EncodeTga(TitleCard(font), 3, false));  // 3
    pack.AddLump(kLumpTGA, kOpaque,
                 EncodeTga(MessageStrip(font, kMessages[0], StripBackground::Transparent), 4,
                           true));  // 4
    pack.AddLump(kLumpTGA, kOpaque,
                 EncodeTga(MessageStrip(font, kMessages[1], StripBackground::Transparent), 4,
                           false));  // 5
    pack.AddLump(
        kLumpTGA, kBrightnessAlpha,
        EncodeTga(MessageStrip(font, kMessages[2], StripBackground::Black), 3, true));  // 6
    pack.AddLump(kLumpTGA, kColourKey,
                 EncodeTga(MessageStrip(font, kMessages[3], StripBackground::Key), 3, false));  // 7
    pack.AddLump(kLumpTGA, kBrightnessAlpha, EncodeTga(PawPrint(), 3, false));                  // 8
    pack.AddLump(kLumpJPEG, kOpaque, EncodeJpeg(YarnSkin(0), 90));                              // 9
    pack.AddLump(kLumpTGA, kOpaque, EncodeTga(YarnSkin(1), 3, true));   // 10
    pack.AddLump(kLumpJPEG, kOpaque, EncodeJpeg(YarnSkin(2), 90));      // 11
    pack.AddLump(kLumpTGA, kOpaque, EncodeTga(YarnSkin(3), 4, false));  // 12
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
    std::vector<uint8_t> cat, toy;
    try {
        if (!CatPack(&cat, error) || !ToyPack(&toy, error)) return false;
    } catch (const std::exception& e) {
        // A model that outgrows the file format's 16-bit counts.
        *error = e.what();
        return false;
    }
    files->push_back({kCatPack, std::move(cat)});
    files->push_back({kSkinPack, SkinPack()});
    files->push_back({kToyPack, std::move(toy)});
    files->push_back({kScenePack, ScenePack(font)});
    files->push_back({kFallbackPicture, EncodeJpeg(Courtyard(1920, 1080), 90)});
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
