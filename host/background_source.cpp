#include "host/background_source.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>

#include "assets/background_pictures.h"
#include "host/alert.h"
#include "host/image_decoder.h"
#include "host/settings.h"

namespace {

// Why the picture at `path` could not be shown, in words for the user.
std::string PictureProblem(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return path + " is a folder, not a picture";
    ImageDecoder* decoder = CurrentImageDecoder();
    DecodedImage image;
    std::string reason;
    if (decoder && !decoder->DecodeFile(path.c_str(), image, reason)) {
        return "cannot read the picture " + path + ": " + reason;
    }
    return "cannot make a texture of the picture " + path;
}

// Loads a random picture of the folder; false with the reason in `problem`.
bool LoadFolderPicture(const char* folder, Texture& tex, std::string& problem) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        const bool exists = std::filesystem::exists(folder, error);
        problem = std::string("the picture folder ") + folder +
                  (exists ? " is not a folder" : " does not exist");
        return false;
    }
    char name[kPicturePathSize];
    if (!ChooseRandomImageFile(folder, name)) {
        problem = std::string("the picture folder ") + folder + " holds no .jpg, .png or .gif file";
        return false;
    }
    char path[kPicturePathSize];
    if (!JoinPicturePath(folder, name, path)) {
        problem = std::string("the path of ") + name + " in " + folder + " is too long";
        return false;
    }
    if (loadPicFile(path, &tex)) return true;
    problem = PictureProblem(path);
    return false;
}

}  // namespace

int CaptureSideLimit(int detail, int maxTextureSize) {
    if (detail == 0) return 512;
    if (detail == 1) return 1024;
    return maxTextureSize;
}

int NearestPowerOfTwo(int side) {
    if (side <= 1) return 1;
    const double exponent = std::floor(std::log(double(side)) / std::log(2.0) + 0.5);
    // 2^30 is the largest power of two an int holds; no display comes near it.
    return 1 << int(std::min(exponent, 30.0));
}

TextureSize CaptureTextureSize(int width, int height, int detail, int maxTextureSize) {
    const int limit = CaptureSideLimit(detail, maxTextureSize);
    TextureSize size{NearestPowerOfTwo(width), NearestPowerOfTwo(height)};
    if (size.width > limit) size.width = limit;
    if (size.height > limit) size.height = limit;
    return size;
}

bool HasVisiblePixel(const uint8_t* rgba, std::size_t pixelCount) {
    for (std::size_t i = 0; i < pixelCount; ++i) {
        const uint8_t* pixel = rgba + i * 4;
        if (pixel[0] | pixel[1] | pixel[2]) return true;
    }
    return false;
}

void MakeCaptureTexture(const CapturedImage& image, int detail, uint32_t* texName) {
    const std::size_t pixelCount = std::size_t(image.width) * std::size_t(image.height);
    const bool usable = image.width > 0 && image.height > 0 && image.rgba.size() >= pixelCount * 4;

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint name = *texName;
    if (name == 0) glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const TextureSize size = CaptureTextureSize(image.width, image.height, detail, maxSize);
    std::vector<uint8_t> scaled(std::size_t(size.width) * std::size_t(size.height) * 4);
    bool drawn = false;
    if (usable && size.width > 0 && size.height > 0) {
        const int scaleResult =
            gluScaleImage(GL_RGBA, image.width, image.height, GL_UNSIGNED_BYTE, image.rgba.data(),
                          size.width, size.height, GL_UNSIGNED_BYTE, scaled.data());
        if (scaleResult == 0 && HasVisiblePixel(scaled.data(), scaled.size() / 4)) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.width, size.height, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, scaled.data());
            drawn = true;
        }
    }
    if (!drawn) {
        glDeleteTextures(1, &name);
        name = 0;
    }
    *texName = name;
}

std::string DesktopPicturePath(DesktopPictureLookup* lookup, int screenNumber,
                               const std::string& fallbackPath) {
    std::string path = lookup ? lookup->PicturePath(screenNumber) : std::string();
    if (path.size() <= 4 || path.size() >= kPicturePathSize) return fallbackPath;
    return path;
}

bool LoadGroundPicture(const SETTINGS& settings, int screenNumber, DesktopPictureLookup* lookup,
                       const std::string& fallbackPath, Texture& deskTex) {
    if (settings.BGTYPE == 2) {
        std::string problem;
        if (LoadFolderPicture(settings.BGPath, deskTex, problem)) return true;
        // The user chose this folder, so say once why its pictures are not shown.
        CurrentAlert().Report((problem + "; showing the shipped picture instead").c_str());
        return loadPicFile(fallbackPath.c_str(), &deskTex);
    }
    const std::string path = DesktopPicturePath(lookup, screenNumber, fallbackPath);
    if (loadPicFile(path.c_str(), &deskTex)) return true;
    // A desktop picture our decoder cannot read (a slide-show description, a vector picture)
    // gets the shipped picture rather than a bare ground.
    return path != fallbackPath && loadPicFile(fallbackPath.c_str(), &deskTex);
}
