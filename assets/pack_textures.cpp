#include "assets/pack_textures.h"

#include <new>

#include "assets/resfile.h"
#include "assets/tga.h"
#include "host/alert.h"

namespace {

// While it exists, the decoder's alerts are kept as the reason of a damaged picture instead of
// being shown: the pack's own message names the file and the picture, once.
class AlertCapture : public Alert {
  public:
    AlertCapture() : previous_(host_detail::AlertSlot()) { SetAlert(this); }
    ~AlertCapture() override { SetAlert(previous_); }
    AlertCapture(const AlertCapture&) = delete;
    AlertCapture& operator=(const AlertCapture&) = delete;
    void Show(const char*, const char* text) override { Keep(text); }
    void Report(const char* message) override { Keep(message); }
    const std::string& Text() const { return text_; }

  private:
    void Keep(const char* text) {
        if (!text_.empty()) return;
        text_ = text;
        while (!text_.empty() && text_.back() == ' ') text_.pop_back();
    }
    Alert* previous_;
    std::string text_;
};

bool LoadTGALump(RESFILE& pack, int n, Texture* texture) {
    if (!pack.SeekLump(n)) return false;
    if (!LoadTGA2(texture, &pack.stream, pack.LumpSize(n))) return false;
    return BuildTexture(texture, pack.directory[n].mode);
}

bool LoadJPEGLump(RESFILE& pack, int n, Texture* texture) {
    void* bytes = nullptr;
    if (!pack.LoadData(n, &bytes)) return false;
    const bool built = BuildJPGTexture(texture, bytes, pack.LumpSize(n), pack.directory[n].mode);
    delete[] static_cast<unsigned char*>(bytes);
    return built;
}

// Builds texture n from lump n when it is an image; false, with the reason, when that fails.
bool BuildLump(RESFILE& pack, int n, Texture* texture, std::string& reason) {
    const uint32_t kind = pack.directory[n].kind;
    if (kind != kLumpTGA && kind != kLumpJPEG) return true;
    AlertCapture decoderAlerts;
    if (kind == kLumpTGA ? LoadTGALump(pack, n, texture) : LoadJPEGLump(pack, n, texture)) {
        return true;
    }
    // A half-made texture is no picture: the slot goes back to blank.
    texture->Clear();
    const std::string detail = !decoderAlerts.Text().empty() ? decoderAlerts.Text()
                               : !pack.Problem().empty()     ? pack.Problem()
                                                             : std::string("cannot be decoded");
    reason = "picture " + std::to_string(n) + " is damaged (" + detail + ")";
    return false;
}

void BuildLumps(RESFILE& pack, Texture* textures, int count, const std::vector<int>& lumps,
                PackPictures& outcome) {
    for (const int n : lumps) {
        if (n < 0 || n >= count || n >= pack.LumpCount()) continue;
        std::string reason;
        if (BuildLump(pack, n, &textures[n], reason)) continue;
        if (outcome.damaged.empty()) outcome.problem = reason;
        outcome.damaged.push_back(n);
    }
}

}  // namespace

bool LoadTexturesFromDataFile(const char* path, Texture** textures, int* count,
                              PackPictures* outcome) {
    PackPictures ignored;
    PackPictures& result = outcome ? *outcome : ignored;
    result = PackPictures();
    if (textures == nullptr || count == nullptr) return false;
    RESFILE pack;
    if (!pack.Open(path)) {
        result.problem = pack.Problem();
        return false;
    }
    const int lumps = pack.LumpCount();
    Texture* array = new (std::nothrow) Texture[lumps];
    if (array == nullptr) {
        result.problem = "holds more pictures than memory allows";
        return false;
    }
    result.opened = true;
    *count = lumps;
    *textures = array;
    std::vector<int> all(static_cast<size_t>(lumps));
    for (int n = 0; n < lumps; ++n) all[static_cast<size_t>(n)] = n;
    BuildLumps(pack, array, lumps, all, result);
    return true;
}

PackPictures ReloadPackPictures(const char* path, Texture* textures, int count,
                                const std::vector<int>& lumps) {
    PackPictures result;
    RESFILE pack;
    if (textures == nullptr || !pack.Open(path)) {
        result.problem = pack.Problem();
        result.damaged = lumps;
        return result;
    }
    result.opened = true;
    BuildLumps(pack, textures, count, lumps, result);
    return result;
}
