// Helpers shared by the asset tests: an alert sink that records what the loaders raise, a
// headless GL context for the texture tests, and small picture builders.
#pragma once

#include <unistd.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "assets/resfile.h"
#include "platform/headless_gl.h"
#include "tests/support/recording_alert.h"
#include "tests/support/test_files.h"

// Records the alerts raised during each test.
class AlertTest : public testing::Test {
  protected:
    RecordingAlert alerts;
};

// One headless context shared by every GL test of the program.
class GLTest : public AlertTest {
  protected:
    void SetUp() override {
        static HeadlessGL* gl = new HeadlessGL;
        static const bool created = gl->Create(16, 16);
        ASSERT_TRUE(created) << gl->Error();
        ASSERT_TRUE(gl->MakeCurrent());
    }
};

// Level 0 of texture `texID` as RGBA bytes, read back from GL.
inline std::vector<uint8_t> ReadBack(uint32_t texID, uint32_t width, uint32_t height) {
    glBindTexture(GL_TEXTURE_2D, texID);
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

// Lump n of an open pack as LoadData hands it over; nothing when refused or when no buffer came.
inline std::optional<std::vector<uint8_t>> LoadedLump(RESFILE& pack, int n) {
    void* data = nullptr;
    if (!pack.LoadData(n, &data) || data == nullptr) return std::nullopt;
    const auto* bytes = static_cast<unsigned char*>(data);
    std::vector<uint8_t> out(bytes, bytes + pack.LumpSize(n));
    delete[] bytes;
    return out;
}

// RGB pixels with an alpha byte each: `alpha` in order, 255 where it runs out.
inline std::vector<uint8_t> WithAlpha(const std::vector<uint8_t>& rgb,
                                      std::vector<uint8_t> alpha = {}) {
    alpha.resize(rgb.size() / 3, 255);
    std::vector<uint8_t> out;
    for (size_t i = 0; i < alpha.size(); ++i) {
        out.insert(out.end(), rgb.begin() + i * 3, rgb.begin() + i * 3 + 3);
        out.push_back(alpha[i]);
    }
    return out;
}

inline std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    // Named after the process too: CTest runs each test in a process of its own, in parallel.
    const std::string path = testing::TempDir() + std::to_string(getpid()) + "-" + name;
    test_files::WriteBytes(path, bytes);
    return path;
}

// width x height pixels of `channels` bytes whose values vary with position, so that swapped,
// skewed or flipped rows show.
inline std::vector<uint8_t> PatternPixels(uint32_t width, uint32_t height, int channels) {
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            pixels.push_back(static_cast<uint8_t>(x * 7 + y * 31));
            pixels.push_back(static_cast<uint8_t>(x * 13 + 5));
            pixels.push_back(static_cast<uint8_t>(y * 17 + 9));
            if (channels == 4) pixels.push_back(static_cast<uint8_t>(x * 3 + y * 11 + 1));
        }
    }
    return pixels;
}
