// A ground picture is any file the user put in the picture folder: the bytes go through the
// desktop's decoder and our 512 x 512 resampling into a texture, exactly as the saver loads a
// picture, and must never crash, read outside a buffer or allocate without bound.
// Input: the whole picture file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/background_pictures.h"
#include "platform/headless_gl.h"
#include "platform/pixbuf_picture_decoder.h"

namespace {

const std::string& PicturePath() {
    static const std::string path = [] {
        char folder[] = "/tmp/velmora-picture-fuzz-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        return std::string(folder) + "/picture.jpg";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HeadlessGL gl;
    static const bool ready = gl.Create(8, 8);
    if (!ready) std::abort();
    static PixbufPictureDecoder decoder;
    SetImageDecoder(&decoder);

    const std::string& path = PicturePath();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    Texture tex;
    if (loadPicFile(path.c_str(), &tex)) {
        // A loaded picture is a 512 x 512 texture, made of a picture decoded no larger than the
        // ground needs.
        if (tex.texID == 0 || tex.width == 0 || tex.height == 0) std::abort();
        if (tex.width > uint32_t(PixbufPictureDecoder::kMaxDecodedSide) ||
            tex.height > uint32_t(PixbufPictureDecoder::kMaxDecodedSide)) {
            std::abort();
        }
    }
    return 0;
}
