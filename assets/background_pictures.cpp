#include "assets/background_pictures.h"

#include <GL/gl.h>
#include <dirent.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/image_decoder.h"

namespace {

bool EndsWith(const char* name, std::size_t nameLength, const char* ext) {
    const std::size_t extLength = std::strlen(ext);
    return nameLength > extLength &&
           std::memcmp(name + nameLength - extLength, ext, extLength) == 0;
}

// Calls visit(name) for every entry of `folder` that CountFiles counts, in directory order,
// until visit returns false. False when the folder cannot be opened.
template <typename Visit>
bool ForEachMatchingEntry(const char* folder, const char* ext, Visit visit) {
    if (folder == nullptr || ext == nullptr) return false;
    DIR* dir = opendir(folder);
    if (dir == nullptr) return false;
    while (const dirent* entry = readdir(dir)) {
        if (!EndsWith(entry->d_name, std::strlen(entry->d_name), ext)) continue;
        if (!visit(entry->d_name)) break;
    }
    closedir(dir);
    return true;
}

bool CopyName(const char* source, char* name) {
    const std::size_t length = std::strlen(source);
    if (length >= kPicturePathSize) return false;
    std::memcpy(name, source, length + 1);
    return true;
}

// A decoded picture is trusted only as far as its own numbers agree with its pixel buffer:
// every row read below must lie inside `pixels`.
bool IsReadable(const DecodedImage& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    if (image.channels < 1 || image.channels > 4) return false;
    const std::size_t rowBytes = std::size_t(image.width) * std::size_t(image.channels);
    if (image.bytesPerRow < 0 || std::size_t(image.bytesPerRow) < rowBytes) return false;
    const std::size_t needed =
        std::size_t(image.bytesPerRow) * std::size_t(image.height - 1) + rowBytes;
    return image.pixels.size() >= needed;
}

// The colour of one picture pixel as R, G, B; grey pictures (1 or 2 channels) repeat their
// grey value.
void PixelColour(const DecodedImage& image, int column, int row, uint8_t* rgb) {
    const uint8_t* pixel = image.pixels.data() + std::size_t(row) * std::size_t(image.bytesPerRow) +
                           std::size_t(column) * std::size_t(image.channels);
    if (image.channels >= 3) {
        rgb[0] = pixel[0];
        rgb[1] = pixel[1];
        rgb[2] = pixel[2];
    } else {
        rgb[0] = rgb[1] = rgb[2] = pixel[0];
    }
}

// Nearest-neighbour resampling to 512 x 512, turning the picture's top-down rows into the
// texture's bottom-up order. The fourth byte of an RGBA texel is opaque.
void Resample(const DecodedImage& image, int texelBytes, uint8_t* texels) {
    const int side = kPictureTextureSide;
    const float sx = float(image.width) * 0.001953125f;
    const float sy = float(image.height) * 0.001953125f;
    for (int i = 0; i < side; ++i) {
        int x = int(float(i) * sx);
        if (x >= image.width) x = image.width - 1;  // single-precision rounding on huge pictures
        for (int j = 0; j < side; ++j) {
            int y = int(float(j) * sy);
            if (y >= image.height) y = image.height - 1;
            uint8_t* texel = texels + (std::size_t(side - 1 - j) * side + i) * texelBytes;
            PixelColour(image, x, y, texel);
            if (texelBytes == 4) texel[3] = 255;
        }
    }
}

}  // namespace

bool loadPicFile(const char* path, Texture* tex) {
    std::string reason;
    return LoadPictureFile(path, tex, reason);
}

bool LoadPictureFile(const char* path, Texture* tex, std::string& reason) {
    ImageDecoder* decoder = CurrentImageDecoder();
    if (path == nullptr || tex == nullptr || decoder == nullptr) {
        reason = "no picture decoder";
        return false;
    }
    DecodedImage image;
    if (!decoder->DecodeFile(path, image, reason)) return false;
    if (!IsReadable(image)) {
        reason = "the decoder gave pixels that do not add up";
        return false;
    }

    // Pictures with their own alpha (RGBA, grey with alpha) become RGBA textures; the rest RGB.
    const bool withAlpha = image.channels == 4 || image.channels == 2;
    const int texelBytes = withAlpha ? 4 : 3;
    const std::size_t side = kPictureTextureSide;
    auto* texels = static_cast<uint8_t*>(std::malloc(side * side * texelBytes));
    if (texels == nullptr) {
        reason = "no memory for its texture";
        return false;
    }
    Resample(image, texelBytes, texels);

    std::free(tex->imageData);
    tex->imageData = texels;
    tex->type = withAlpha ? GL_RGBA : GL_RGB;
    tex->bpp = withAlpha ? 32 : 24;
    tex->width = tex->height = kPictureTextureSide;
    const bool built = BuildTexture(tex, kTextureOpaque);
    tex->width = uint32_t(image.width);
    tex->height = uint32_t(image.height);
    if (!built) reason = "its texture could not be made";
    return built;
}

int CountFiles(const char* folder, const char* ext) {
    int count = 0;
    ForEachMatchingEntry(folder, ext, [&count](const char*) {
        ++count;
        return true;
    });
    return count;
}

bool FindNthFile(const char* folder, char* name, const char* ext, int n) {
    const int count = CountFiles(folder, ext);
    if (count < 1 || n < 0 || n >= count) return false;
    int index = 0;
    bool found = false;
    ForEachMatchingEntry(folder, ext, [&](const char* entry) {
        if (index++ != n) return true;
        found = CopyName(entry, name);
        return false;
    });
    return found;
}

bool ChooseRandomImageFile(const char* folder, char* name) {
    const char* const extensions[] = {".jpg", ".gif", ".png"};
    int counts[3];
    int total = 0;
    for (int e = 0; e < 3; ++e) {
        counts[e] = CountFiles(folder, extensions[e]);
        total += counts[e];
    }
    if (total < 1) return false;
    int r = std::rand() % total;
    for (int e = 0; e < 3; ++e) {
        if (r < counts[e]) return FindNthFile(folder, name, extensions[e], r);
        r -= counts[e];
    }
    return false;
}

std::vector<std::string> ListPictureFiles(const char* folder) {
    std::vector<std::string> byExtension[3];
    const char* const extensions[] = {".jpg", ".gif", ".png"};
    for (int e = 0; e < 3; ++e) {
        ForEachMatchingEntry(folder, extensions[e], [&](const char* name) {
            byExtension[e].emplace_back(name);
            return true;
        });
    }
    std::vector<std::string> names = std::move(byExtension[0]);
    for (int e = 1; e < 3; ++e)
        names.insert(names.end(), byExtension[e].begin(), byExtension[e].end());
    return names;
}

bool JoinPicturePath(const char* folder, const char* name, char* path) {
    if (folder == nullptr || name == nullptr || path == nullptr) return false;
    std::string joined = folder;
    // Any folder that does not end in "/" gets one, short relative names ("ab") included.
    if (!joined.empty() && joined.back() != '/') joined += '/';
    joined += name;
    if (joined.size() >= kPicturePathSize) return false;
    std::memcpy(path, joined.c_str(), joined.size() + 1);
    return true;
}

bool LoadPicture(const char* folder, Texture* tex) {
    char name[kPicturePathSize];
    if (!ChooseRandomImageFile(folder, name)) return false;
    char path[kPicturePathSize];
    if (!JoinPicturePath(folder, name, path)) return false;
    return loadPicFile(path, tex);
}
