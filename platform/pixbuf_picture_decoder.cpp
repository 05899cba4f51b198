#include "platform/pixbuf_picture_decoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "assets/regular_file.h"

namespace {

// A picture format as its first bytes tell it, and the gdk-pixbuf loader that reads it.
struct PictureKind {
    const char* name;     // for messages
    const char* loader;   // gdk-pixbuf's name of the loader
    const char* package;  // the Debian package that brings the loader, when it is not built in
    long long maxPixels;  // how many pixels its header may state
};

// Loaders that decode whole before the picture is reduced hold every pixel; JPEG and WebP
// decode straight at the reduced size; SVG is drawn at the size asked, whatever its own.
constexpr long long kWhole = PixbufPictureDecoder::kMaxPixels;
constexpr long long kReduced = PixbufPictureDecoder::kMaxPixelsReducedWhileDecoding;
constexpr long long kDrawn = std::numeric_limits<long long>::max();
constexpr PictureKind kJpeg{"JPEG", "jpeg", nullptr, kReduced};
constexpr PictureKind kPng{"PNG", "png", nullptr, kWhole};
constexpr PictureKind kGif{"GIF", "gif", nullptr, kWhole};
constexpr PictureKind kTiff{"TIFF", "tiff", nullptr, kWhole};
constexpr PictureKind kBmp{"BMP", "bmp", nullptr, kWhole};
constexpr PictureKind kWebp{"WebP", "webp", "webp-pixbuf-loader", kReduced};
constexpr PictureKind kSvg{"SVG", "svg", "librsvg2-common", kDrawn};
constexpr PictureKind kJxl{"JPEG XL", "jxl", "libjxl-gdk-pixbuf", kWhole};
constexpr PictureKind kAvif{"AVIF", "avif", "libavif-gdk-pixbuf", kWhole};
constexpr PictureKind kHeif{"HEIF", "heif", "heif-gdk-pixbuf", kWhole};

constexpr const char* kKnownFormats = "JPEG, PNG, GIF, TIFF, BMP, WebP, SVG, JPEG XL or AVIF";
constexpr std::size_t kHeadBytes = 4096;
constexpr std::size_t kChunkBytes = 64 * 1024;

using namespace std::string_view_literals;

bool HasBytes(const std::string& head, std::string_view bytes, std::size_t at = 0) {
    return head.size() >= at + bytes.size() && head.compare(at, bytes.size(), bytes) == 0;
}

// Only these formats are handed to a loader: the other loaders gdk-pixbuf may have (icons,
// cursors, X bitmaps) are no wallpapers, and each one is more code facing an outside file.
const PictureKind* SniffPicture(const std::string& head, const std::string& path) {
    if (HasBytes(head, "\xff\xd8\xff"sv)) return &kJpeg;
    if (HasBytes(head, "\x89PNG\r\n\x1a\n"sv)) return &kPng;
    if (HasBytes(head, "GIF87a"sv) || HasBytes(head, "GIF89a"sv)) return &kGif;
    if (HasBytes(head, "BM"sv)) return &kBmp;
    if (HasBytes(head, "II*\0"sv) || HasBytes(head, "MM\0*"sv)) return &kTiff;
    if (HasBytes(head, "RIFF"sv) && HasBytes(head, "WEBP"sv, 8)) return &kWebp;
    if (HasBytes(head, "\xff\x0a"sv) || HasBytes(head, "\0\0\0\x0cJXL \r\n\x87\n"sv)) return &kJxl;
    if (HasBytes(head, "ftyp"sv, 4)) {
        if (HasBytes(head, "avif"sv, 8) || HasBytes(head, "avis"sv, 8)) return &kAvif;
        for (std::string_view brand : {"heic"sv, "heix"sv, "mif1"sv, "msf1"sv}) {
            if (HasBytes(head, brand, 8)) return &kHeif;
        }
    }
    // Compressed SVG is known by its name only; plain SVG is XML text with an <svg> element.
    const bool svgz = path.size() > 5 && path.compare(path.size() - 5, 5, ".svgz") == 0;
    if (svgz && HasBytes(head, "\x1f\x8b"sv)) return &kSvg;
    const std::size_t text = head.find_first_not_of(" \t\r\n\xef\xbb\xbf");
    if (text != std::string::npos && head[text] == '<' && head.find("<svg") != std::string::npos)
        return &kSvg;
    return nullptr;
}

// What the header said, and whether the picture was refused for its size.
struct SizeCheck {
    long long maxPixels = 0;
    int width = 0;
    int height = 0;
    bool refused = false;
};

// Runs when the loader has read the picture's size and before it allocates any pixels.
void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    auto* check = static_cast<SizeCheck*>(data);
    check->width = width;
    check->height = height;
    if (width <= 0 || height <= 0 || (long long)width * height > check->maxPixels) {
        check->refused = true;
        gdk_pixbuf_loader_set_size(loader, 0, 0);  // the loader gives up without allocating
        return;
    }
    const int side = std::max(width, height);
    if (side <= PixbufPictureDecoder::kMaxDecodedSide) return;
    const double scale = double(PixbufPictureDecoder::kMaxDecodedSide) / side;
    gdk_pixbuf_loader_set_size(loader, std::max(1, int(std::lround(width * scale))),
                               std::max(1, int(std::lround(height * scale))));
}

std::string SizeRefusal(const SizeCheck& check) {
    if (check.width <= 0 || check.height <= 0) return "is a picture without pixels";
    return "is too large a picture: " + std::to_string(check.width) + " x " +
           std::to_string(check.height) + " pixels, more than " + std::to_string(check.maxPixels);
}

// Reads `length` bytes at `offset`, retrying interrupted reads; false with a reason on an error.
bool ReadAt(int fd, std::uint64_t offset, std::size_t length, std::string& bytes,
            std::string& reason) {
    bytes.resize(length);
    while (true) {
        const ssize_t got = ::pread(fd, &bytes[0], length, off_t(offset));
        if (got >= 0) {
            bytes.resize(std::size_t(got));
            return true;
        }
        if (errno != EINTR) {
            reason = FileErrorReason(errno);
            return false;
        }
    }
}

struct LoaderDeleter {
    void operator()(GdkPixbufLoader* loader) const {
        // A loader must be closed before it goes, even after a failure.
        gdk_pixbuf_loader_close(loader, nullptr);
        g_object_unref(loader);
    }
};
using LoaderPointer = std::unique_ptr<GdkPixbufLoader, LoaderDeleter>;

LoaderPointer MakeLoader(const PictureKind& kind, std::string& reason) {
    GError* error = nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type(kind.loader, &error);
    if (loader) return LoaderPointer(loader);
    g_clear_error(&error);
    reason = std::string("is a ") + kind.name + " picture, and no decoder for " + kind.name +
             " is installed";
    if (kind.package) reason += std::string(" (the package ") + kind.package + ")";
    return nullptr;
}

// The decoded picture, upright, as packed rows.
void CopyPixels(GdkPixbuf* pixbuf, DecodedImage& out) {
    out.width = gdk_pixbuf_get_width(pixbuf);
    out.height = gdk_pixbuf_get_height(pixbuf);
    out.channels = gdk_pixbuf_get_n_channels(pixbuf);
    out.bytesPerRow = out.width * out.channels;
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* rows = gdk_pixbuf_read_pixels(pixbuf);
    out.pixels.resize(std::size_t(out.bytesPerRow) * std::size_t(out.height));
    for (int row = 0; row < out.height; ++row) {
        std::memcpy(&out.pixels[std::size_t(row) * std::size_t(out.bytesPerRow)],
                    rows + std::size_t(row) * std::size_t(stride), std::size_t(out.bytesPerRow));
    }
}

}  // namespace

bool PixbufPictureDecoder::DecodeFile(const char* path, DecodedImage& out, std::string& error) {
    interrupted_ = false;
    RegularFile file;
    if (!file.Open(path, kMaxFileBytes, error)) return false;
    std::string head;
    if (!ReadAt(file.Descriptor(), 0, kHeadBytes, head, error)) return false;
    if (head.empty()) {
        error = "is empty";
        return false;
    }
    const PictureKind* kind = SniffPicture(head, path);
    if (kind == nullptr) {
        error = std::string("is not a picture (") + kKnownFormats + ")";
        return false;
    }
    LoaderPointer loader = MakeLoader(*kind, error);
    if (!loader) return false;
    SizeCheck check;
    check.maxPixels = kind->maxPixels;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(OnSizePrepared), &check);

    GError* failure = nullptr;
    std::string chunk;
    for (std::uint64_t offset = 0; offset < file.Size(); offset += chunk.size()) {
        if (stop_ && stop_->load()) {
            interrupted_ = true;
            error = "the program is ending";
            return false;
        }
        if (!ReadAt(file.Descriptor(), offset, kChunkBytes, chunk, error)) return false;
        if (chunk.empty()) break;  // shrank while we read: decode what is there
        if (!gdk_pixbuf_loader_write(loader.get(), reinterpret_cast<const guchar*>(chunk.data()),
                                     chunk.size(), &failure)) {
            break;
        }
    }
    if (failure == nullptr) gdk_pixbuf_loader_close(loader.get(), &failure);
    if (check.refused) {
        g_clear_error(&failure);
        error = SizeRefusal(check);
        return false;
    }
    GdkPixbuf* decoded = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (failure != nullptr || decoded == nullptr) {
        error = std::string("cannot be decoded as a ") + kind->name + " picture" +
                (failure ? std::string(": ") + failure->message : std::string());
        g_clear_error(&failure);
        return false;
    }
    GdkPixbuf* upright = gdk_pixbuf_apply_embedded_orientation(decoded);
    CopyPixels(upright ? upright : decoded, out);
    if (upright) g_object_unref(upright);
    return true;
}

bool PixbufPictureDecoder::DecodeMemory(const void* bytes, size_t length, DecodedImage& out,
                                        std::string& error) {
    interrupted_ = false;
    return packs_.DecodeMemory(bytes, length, out, error);
}
