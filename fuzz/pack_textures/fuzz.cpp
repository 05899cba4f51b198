// A pack file through RESFILE::Open and LoadTexturesFromDataFile, in a headless GL context made
// once, with the stb_image decoder installed for the JPEG lumps.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
        if (!gl.Create(4, 4)) {
            std::fprintf(stderr, "no headless GL context: %s\n", gl.Error().c_str());
            std::abort();
        }
        SetAlert(&silent);
        SetImageDecoder(&decoder);
        path = "/tmp/velmora-fuzz-pack-" + std::to_string(getpid()) + ".vlm";
    }
    ~Environment() { std::remove(path.c_str()); }
    HeadlessGL gl;
    SilentAlert silent;
    StbImageDecoder decoder;
    std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Environment environment;
    {
        std::ofstream out(environment.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    RESFILE pack;
    if (pack.Open(environment.path.c_str())) {
        for (int n = 0; n < pack.LumpCount(); ++n) {
            void* bytes = nullptr;
            if (pack.LoadData(n, &bytes)) delete[] static_cast<unsigned char*>(bytes);
        }
    }
    Texture* textures = nullptr;
    int count = 0;
    LoadTexturesFromDataFile(environment.path.c_str(), &textures, &count);
    delete[] textures;
    return 0;
}
