#include "assets/pack_textures.h"

#include <new>

#include "assets/resfile.h"
#include "assets/tga.h"

namespace {

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

}  // namespace

bool LoadTexturesFromDataFile(const char* path, Texture** textures, int* count) {
    if (textures == nullptr || count == nullptr) return false;
    RESFILE pack;
    if (!pack.Open(path)) return false;
    const int lumps = pack.LumpCount();
    Texture* array = new (std::nothrow) Texture[lumps];
    if (array == nullptr) return false;
    *count = lumps;
    *textures = array;
    for (int n = 0; n < lumps; ++n) {
        const uint32_t kind = pack.directory[n].kind;
        if (kind == kLumpTGA && !LoadTGALump(pack, n, &array[n])) return false;
        if (kind == kLumpJPEG && !LoadJPEGLump(pack, n, &array[n])) return false;
    }
    return true;
}
