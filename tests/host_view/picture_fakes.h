// Stand-ins for the picture decoder and the desktop-picture lookup, shared by the view and
// background tests: both record what they were asked for.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "host/background_source.h"
#include "host/image_decoder.h"

// Hands out `image` for every file (only for the paths in `readable` when it names any) unless
// told to fail, and remembers the paths asked for.
class FakeDecoder : public ImageDecoder {
  public:
    FakeDecoder() {
        image.width = image.height = 4;
        image.channels = 3;
        image.bytesPerRow = 12;
        for (int i = 0; i < 16; ++i) image.pixels.insert(image.pixels.end(), {255, 128, 0});
    }
    bool DecodeFile(const char* path, DecodedImage& out, std::string& error) override {
        paths.emplace_back(path);
        const bool known =
            readable.empty() || std::find(readable.begin(), readable.end(), path) != readable.end();
        if (!succeed || !known) {
            error = "not a picture";
            return false;
        }
        out = image;
        return true;
    }
    bool DecodeMemory(const void*, size_t, DecodedImage&, std::string&) override { return false; }
    DecodedImage image;  // a small orange picture unless a test sets another
    bool succeed = true;
    std::vector<std::string> readable;
    std::vector<std::string> paths;
};

// Names one picture for every screen and remembers the screens asked about.
class FakeDesktop : public DesktopPictureLookup {
  public:
    explicit FakeDesktop(std::string picture = "/pictures/desk.png") : path(std::move(picture)) {}
    std::string PicturePath(int screenNumber) override {
        asked.push_back(screenNumber);
        return path;
    }
    std::string path;
    std::vector<int> asked;
};
