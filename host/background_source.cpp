#include "host/background_source.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/background_pictures.h"
#include "assets/regular_file.h"
#include "host/alert.h"
#include "host/image_decoder.h"
#include "host/settings.h"

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

namespace {

// The ground picture's sources in turn, with one message per picture that could not be read.
class GroundPictureLoader {
  public:
    GroundPictureLoader(const GroundPictureSources& sources, Texture& deskTex)
        : sources_(sources), deskTex_(deskTex) {}

    bool FromFolder(const char* folder);
    bool FromDesktopPicture(bool chosen);
    bool FromBackdrop();
    bool FromShippedPicture();
    // Says what could not be read; the last problem also says what is shown instead.
    void Report(const std::string& shownInstead);
    bool Interrupted() const { return interrupted_; }

  private:
    bool Load(const std::string& path, std::string& reason);

    const GroundPictureSources& sources_;
    Texture& deskTex_;
    std::vector<std::string> problems_;
    bool interrupted_ = false;
};

// Why a folder of pictures cannot be read, or "" when it can.
std::string FolderProblem(const char* folder) {
    DIR* dir = opendir(folder);
    if (dir) {
        closedir(dir);
        return "";
    }
    const int error = errno;
    struct stat info {};
    if (error == ENOTDIR && stat(folder, &info) == 0) return "is not a folder";
    return FileErrorReason(error);
}

bool GroundPictureLoader::Load(const std::string& path, std::string& reason) {
    if (LoadPictureFile(path.c_str(), &deskTex_, reason)) return true;
    ImageDecoder* decoder = CurrentImageDecoder();
    interrupted_ = decoder && decoder->Interrupted();
    return false;
}

bool GroundPictureLoader::FromFolder(const char* folder) {
    const std::string problem = FolderProblem(folder);
    if (!problem.empty()) {
        problems_.push_back(std::string("the picture folder ") + folder + ": " + problem);
        return false;
    }
    std::vector<std::string> names = ListPictureFiles(folder);
    if (names.empty()) {
        problems_.push_back(std::string("the picture folder ") + folder +
                            ": holds no .jpg, .png or .gif file");
        return false;
    }
    // The first draw is ChooseRandomImageFile's; every picture is tried at most once.
    for (int tried = 0; tried < kFolderPicturesTried && !names.empty(); ++tried) {
        const std::size_t pick = std::size_t(std::rand()) % names.size();
        char path[kPicturePathSize];
        std::string reason;
        if (!JoinPicturePath(folder, names[pick].c_str(), path)) {
            problems_.push_back("the path of " + names[pick] + " in " + folder + " is too long");
        } else if (Load(path, reason)) {
            return true;
        } else if (interrupted_) {
            return false;
        } else {
            problems_.push_back(std::string("cannot read the picture ") + path + ": " + reason);
        }
        names.erase(names.begin() + std::ptrdiff_t(pick));
    }
    return false;
}

bool GroundPictureLoader::FromDesktopPicture(bool chosen) {
    const std::string path = sources_.desktop
                                 ? DesktopPicturePath(sources_.desktop, sources_.screenNumber, "")
                                 : std::string();
    std::string reason;
    if (!path.empty()) {
        if (Load(path, reason)) return true;
        if (interrupted_) return false;
        // Said only when the user chose the desktop picture; after a folder it is one more try.
        if (chosen) problems_.push_back("cannot read the desktop picture " + path + ": " + reason);
    }
    return false;
}

bool GroundPictureLoader::FromBackdrop() {
    CapturedImage image;
    if (sources_.backdrop == nullptr || !sources_.backdrop->Capture(sources_.frame, image)) {
        return false;
    }
    uint32_t name = 0;
    MakeCaptureTexture(image, 1, &name);
    if (name == 0) return false;
    glDeleteTextures(1, &deskTex_.texID);
    deskTex_.texID = name;
    deskTex_.width = uint32_t(image.width);
    deskTex_.height = uint32_t(image.height);
    return true;
}

bool GroundPictureLoader::FromShippedPicture() {
    std::string reason;
    if (Load(sources_.fallbackPath, reason)) return true;
    if (!interrupted_) {
        problems_.push_back("cannot read the shipped picture " + sources_.fallbackPath + ": " +
                            reason + "; the ground stays bare");
    }
    return false;
}

void GroundPictureLoader::Report(const std::string& shownInstead) {
    if (interrupted_) return;  // the program is ending: nothing the user needs to hear
    for (std::size_t i = 0; i < problems_.size(); ++i) {
        std::string line = problems_[i];
        if (i + 1 == problems_.size() && !shownInstead.empty()) line += "; " + shownInstead;
        CurrentAlert().Report(line.c_str());
    }
    problems_.clear();
}

}  // namespace

bool LoadGroundPicture(const SETTINGS& settings, const GroundPictureSources& sources,
                       Texture& deskTex) {
    GroundPictureLoader loader(sources, deskTex);
    const bool folder = settings.BGTYPE == 2;
    if (folder && loader.FromFolder(settings.BGPath)) {
        loader.Report("");
        return true;
    }
    if (loader.Interrupted()) return false;
    if (loader.FromDesktopPicture(!folder)) {
        loader.Report("showing the desktop picture instead");
        return true;
    }
    if (loader.Interrupted()) return false;
    if (loader.FromBackdrop()) {
        loader.Report("showing the desktop's background instead");
        return true;
    }
    const bool shipped = loader.FromShippedPicture();
    loader.Report(shipped ? "showing the shipped picture instead" : "");
    return shipped;
}
