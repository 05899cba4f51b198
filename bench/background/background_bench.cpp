// The ground picture's costs at start-up: turning a screen capture into a texture, decoding a
// picture file, and resampling a large picture to 512 x 512.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/background_pictures.h"
#include "host/background_source.h"
#include "host/image_decoder.h"
#include "platform/headless_gl.h"
#include "platform/image_encoder.h"
#include "platform/pixbuf_picture_decoder.h"

namespace {

HeadlessGL& Context() {
    static HeadlessGL gl;
    static const bool ready = gl.Create(16, 16);
    if (!ready) std::abort();
    gl.MakeCurrent();
    return gl;
}

CapturedImage Capture(int width, int height) {
    CapturedImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = uint8_t(i * 7 + i / 4096);
    return image;
}

// Screen capture to texture: resampling to power-of-two sides and upload. Arguments: the
// display's width and height and the detail level.
void BM_CaptureTexture(benchmark::State& state) {
    Context();
    const CapturedImage image = Capture(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        uint32_t name = 0;
        MakeCaptureTexture(image, int(state.range(2)), &name);
        benchmark::DoNotOptimize(name);
        glDeleteTextures(1, &name);
    }
    state.SetItemsProcessed(state.iterations() * image.width * image.height);
}
BENCHMARK(BM_CaptureTexture)
    ->Args({1440, 900, 0})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 2})
    ->Args({3840, 2160, 2})
    ->Unit(benchmark::kMillisecond);

class MemoryDecoder : public ImageDecoder {
  public:
    explicit MemoryDecoder(DecodedImage image) : image_(std::move(image)) {}
    bool DecodeFile(const char*, DecodedImage& out, std::string&) override {
        out = image_;
        return true;
    }
    bool DecodeMemory(const void*, size_t, DecodedImage&, std::string&) override { return false; }

  private:
    DecodedImage image_;
};

// A picture file to a 512 x 512 ground texture, decoding excluded: the decoder hands out a copy
// of a decoded picture (the copy stands for the decoder's own output buffer). Arguments: the
// picture's width and height.
void BM_LoadPicFile(benchmark::State& state) {
    Context();
    DecodedImage image;
    image.width = int(state.range(0));
    image.height = int(state.range(1));
    image.channels = 3;
    image.bytesPerRow = image.width * 3;
    image.pixels.assign(std::size_t(image.bytesPerRow) * image.height, 90);
    MemoryDecoder decoder(image);
    SetImageDecoder(&decoder);
    for (auto _ : state) {
        Texture tex;
        if (!loadPicFile("picture.jpg", &tex)) state.SkipWithError("picture refused");
        benchmark::DoNotOptimize(tex.texID);
    }
    SetImageDecoder(nullptr);
}
BENCHMARK(BM_LoadPicFile)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond);

// A JPEG file decoded, by our packs' decoder (stb_image, whole) and by the desktop's (gdk-pixbuf,
// reduced while decoding to the ground's 2048 pixels). Arguments: the decoder (0 stb_image,
// 1 gdk-pixbuf), the picture's width and height.
void BM_DecodePictureFile(benchmark::State& state) {
    const int width = int(state.range(1)), height = int(state.range(2));
    std::vector<uint8_t> pixels(std::size_t(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 13 + i / 7919);
    const std::vector<uint8_t> jpeg = EncodeJpeg(pixels.data(), width, height, 3, 85);
    const std::string path = "/tmp/velmora-bench-" + std::to_string(getpid()) + ".jpg";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(jpeg.data(), 1, jpeg.size(), file) != jpeg.size()) std::abort();
    std::fclose(file);
    StbImageDecoder stb;
    PixbufPictureDecoder pixbuf;
    ImageDecoder& decoder = state.range(0) == 0 ? static_cast<ImageDecoder&>(stb) : pixbuf;
    for (auto _ : state) {
        DecodedImage image;
        std::string error;
        if (!decoder.DecodeFile(path.c_str(), image, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(image.pixels.data());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_DecodePictureFile)
    ->ArgsProduct({{0, 1}, {1920}, {1080}})
    ->ArgsProduct({{0, 1}, {6000}, {4000}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
