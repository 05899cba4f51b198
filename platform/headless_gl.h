// An OpenGL context without any display: EGL on Mesa's surfaceless platform (llvmpipe), desktop
// OpenGL with the compatibility profile, drawing into an off-screen buffer with colour (RGBA8)
// and depth. Tests, the headless renderer and the benchmarks draw through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HeadlessGL {
  public:
    HeadlessGL() = default;
    ~HeadlessGL();
    HeadlessGL(const HeadlessGL&) = delete;
    HeadlessGL& operator=(const HeadlessGL&) = delete;

    // Creates the context with a width x height drawing buffer and makes it current.
    // False, with the reason in Error(), when no such context can be made.
    bool Create(int width, int height);
    bool MakeCurrent();
    // Waits for drawing to finish (the off-screen counterpart of a buffer swap).
    void Finish();
    // The drawing buffer as RGBA bytes, top row first (ready for a PNG writer).
    std::vector<uint8_t> ReadPixels() const;
    void Destroy();

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::string& Error() const { return error_; }

  private:
    bool Fail(const std::string& reason);
    bool CreateFramebuffer();

    void* display_ = nullptr;
    void* context_ = nullptr;
    unsigned framebuffer_ = 0;
    unsigned colourBuffer_ = 0;
    unsigned depthBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::string error_;
};
