// A pack file through RESFILE::Open and LoadTexturesFromDataFile, in a headless GL context made
// once, with the stb_image decoder installed for the JPEG lumps.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/pack_textures.h"
#include "assets/resfile.h"
#include "platform/headless_gl.h"
#include "platform/stb_image_decoder.h"
#include "tests/support/recording_alert.h"
#include "tests/support/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HeadlessGL gl;
    static const bool ready = gl.Create(4, 4);
    if (!ready) std::abort();
    static StbImageDecoder decoder;
    SetImageDecoder(&decoder);
    static const test_files::ScratchFolder folder;  // one per process, for parallel fuzzing jobs
    const std::string path = folder / "fuzz.vlm";
    test_files::WriteText(path, std::string(reinterpret_cast<const char*>(data), size));
    RecordingAlert quiet;
    RESFILE pack;
    const int lumps = pack.Open(path.c_str()) ? pack.LumpCount() : 0;
    for (int n = 0; n < lumps; ++n) {
        void* bytes = nullptr;
        if (pack.LoadData(n, &bytes)) delete[] static_cast<unsigned char*>(bytes);
    }
    Texture* textures = nullptr;
    int count = 0;
    LoadTexturesFromDataFile(path.c_str(), &textures, &count);
    delete[] textures;
    return 0;
}
