// Stand-ins for the picture decoder, the desktop-picture lookup and screen captures, shared by the
// view and background tests: all record what they were asked for. Also a reader of the textures
// made from their pictures.
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/image_decoder.h"
#include "host/background_source.h"

// Hands out `image` for every file (only for the paths in `readable` when it names any), and
// remembers the paths asked for.
struct FakeDecoder : ImageDecoder {
    bool DecodeFile(const char* path, DecodedImage& out, std::string& error) override {
        paths.emplace_back(path);
        const bool known =
            readable.empty() || std::find(readable.begin(), readable.end(), path) != readable.end();
        if (!known || interrupt) {
            error = interrupt ? "the program is ending" : "not a picture";
            return false;
        }
        out = image;
        return true;
    }
    bool DecodeMemory(const void*, size_t, DecodedImage&, std::string&) override { return false; }
    bool Interrupted() const override { return interrupt; }
    DecodedImage image{4, 4, 3, 12, std::vector<uint8_t>(48, 160)};  // a small grey picture
    bool interrupt = false;  // as when the program is asked to end
    std::vector<std::string> readable;
    std::vector<std::string> paths;
};

// Names one picture for every screen and remembers the screens asked about.
struct FakeDesktop : DesktopPictureLookup {
    explicit FakeDesktop(std::string picture = "/pictures/desk.png") : path(std::move(picture)) {}
    std::string PicturePath(int screenNumber) override {
        asked.push_back(screenNumber);
        return path;
    }
    std::string path;
    std::vector<int> asked;
};

// Captures report a fixed image and remember the rectangle asked for.
struct FakeCapture : ScreenCapture {
    bool Capture(const ScreenRect& frame, CapturedImage& out) override {
        requested = frame;
        out = image;
        return succeed;
    }
    CapturedImage image;
    bool succeed = true;
    ScreenRect requested;
};

inline CapturedImage SolidImage(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
    CapturedImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        image.rgba.insert(image.rgba.end(), {red, green, blue, 255});
    return image;
}

// The size of texture `name`; its texels as RGBA into `texels` when given.
inline std::pair<int, int> TextureSize(uint32_t name, std::vector<uint8_t>* texels = nullptr) {
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (texels == nullptr) return {width, height};
    texels->assign(std::size_t(width) * std::size_t(height) * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels->data());
    return {width, height};
}
