// A ground picture is any file the user put in the picture folder: the bytes go through the
// desktop's decoder and our 512 x 512 resampling into a texture, exactly as the saver loads a
// picture, and must never crash, read outside a buffer or allocate without bound.
// Input: the whole picture file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assets/background_pictures.h"
#include "platform/headless_gl.h"
#include "platform/pixbuf_picture_decoder.h"
#include "tests/support/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HeadlessGL gl;
    static const bool ready = gl.Create(8, 8);
    if (!ready) std::abort();
    static PixbufPictureDecoder decoder;
    SetImageDecoder(&decoder);
    static const test_files::ScratchFolder folder;  // one per process, for parallel fuzzing jobs
    const std::string path = folder / "picture.jpg";
    test_files::WriteText(path, std::string(reinterpret_cast<const char*>(data), size));
    Texture tex;
    // A loaded picture is a texture made of a picture decoded no larger than the ground needs.
    const uint32_t most = PixbufPictureDecoder::kMaxDecodedSide;
    if (loadPicFile(path.c_str(), &tex) && (tex.texID == 0 || tex.width == 0 || tex.height == 0 ||
                                            tex.width > most || tex.height > most)) {
        std::abort();
    }
    return 0;
}
