// A pack file through RESFILE::Open and LoadTexturesFromDataFile, in a headless GL context made
// once, with the stb_image decoder installed for the JPEG lumps.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "assets/pack_textures.h"
#include "assets/resfile.h"
#include "core/alert.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"

namespace {

class SilentAlert : public Alert {
  public:
    void Show(const char*, const char*) override {}
    void Report(const char*) override {}
};

struct Environment {
    Environment() {
        if (!gl.Create(4, 4)) std::abort();  // no headless GL context
        SetAlert(&silent);
        SetImageDecoder(&decoder);
    }
    ~Environment() { std::remove(path.c_str()); }
    HeadlessGL gl;
    SilentAlert silent;
    StbImageDecoder decoder;
    const std::string path = "/tmp/velmora-fuzz-pack-" + std::to_string(getpid()) + ".vlm";
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Environment environment;
    std::ofstream(environment.path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    RESFILE pack;
    const int lumps = pack.Open(environment.path.c_str()) ? pack.LumpCount() : 0;
    for (int n = 0; n < lumps; ++n) {
        void* bytes = nullptr;
        if (pack.LoadData(n, &bytes)) delete[] static_cast<unsigned char*>(bytes);
    }
    Texture* textures = nullptr;
    int count = 0;
    LoadTexturesFromDataFile(environment.path.c_str(), &textures, &count);
    delete[] textures;
    return 0;
}
