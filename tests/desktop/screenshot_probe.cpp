// Measures screenshots for the desktop tests. Every command prints what it measured and exits
// 0 when the condition holds, 1 when it does not, 2 on bad input.
//   black FILE X Y W H                    every pixel of the rectangle is black
//   lit FILE X Y W H FRACTION             at least FRACTION of the pixels are not black
//   magenta FILE X Y W H FRACTION         at least FRACTION of the pixels are magenta-tinted
//   differ FILE1 FILE2 X Y W H FRACTION   at least FRACTION of the pixels differ
//   hue FILE X Y W H DEGREES FRACTION     at least FRACTION of the pixels are vivid colours within
//                                         15 degrees of that hue (0 red, 120 green, 240 blue)
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, stbi_image_free};
    const unsigned char* At(int x, int y) const {
        return pixels.get() + (size_t(y) * width + x) * 3;
    }
};

bool Load(const char* path, Picture& picture) {
    int channels = 0;
    picture.pixels.reset(stbi_load(path, &picture.width, &picture.height, &channels, 3));
    if (!picture.pixels) std::fprintf(stderr, "cannot read %s\n", path);
    return picture.pixels != nullptr;
}

struct Rect {
    int x, y, w, h;
};

bool ParseRect(char** args, const Picture& picture, Rect& rect) {
    rect = {std::atoi(args[0]), std::atoi(args[1]), std::atoi(args[2]), std::atoi(args[3])};
    const bool inside = rect.x >= 0 && rect.y >= 0 && rect.w > 0 && rect.h > 0 &&
                        rect.x + rect.w <= picture.width && rect.y + rect.h <= picture.height;
    if (!inside)
        std::fprintf(stderr, "rectangle outside the %dx%d picture\n", picture.width,
                     picture.height);
    return inside;
}

double Fraction(const Rect& rect, const std::function<bool(int, int)>& test) {
    long count = 0;
    for (int y = rect.y; y < rect.y + rect.h; ++y)
        for (int x = rect.x; x < rect.x + rect.w; ++x) count += test(x, y) ? 1 : 0;
    return double(count) / (double(rect.w) * rect.h);
}

bool IsBlack(const unsigned char* p) {
    return p[0] <= 8 && p[1] <= 8 && p[2] <= 8;
}

// Red and blue both well above green: the hue of the magenta test picture, however the scene's
// light scales it.
bool IsMagenta(const unsigned char* p) {
    return p[0] > 40 && p[2] > 40 && p[1] * 2 < p[0] && p[1] * 2 < p[2];
}

// A vivid colour (well saturated, not dark) whose hue lies within 15 degrees of `degrees`,
// however the scene's light scales it.
bool HasHue(const unsigned char* p, double degrees) {
    const int high = std::max({p[0], p[1], p[2]});
    const int low = std::min({p[0], p[1], p[2]});
    if (high < 40 || high - low < 0.35 * high) return false;
    const double range = high - low;
    double hue = high == p[0]   ? 60.0 * std::fmod((p[1] - p[2]) / range + 6.0, 6.0)
                 : high == p[1] ? 60.0 * ((p[2] - p[0]) / range + 2.0)
                                : 60.0 * ((p[0] - p[1]) / range + 4.0);
    const double distance = std::fabs(std::fmod(hue - degrees + 540.0, 360.0) - 180.0);
    return distance <= 15.0;
}

bool Differ(const unsigned char* a, const unsigned char* b) {
    return std::abs(a[0] - b[0]) > 8 || std::abs(a[1] - b[1]) > 8 || std::abs(a[2] - b[2]) > 8;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    // The arguments each command takes, its own included; "differ" reads a second picture.
    const int wanted = command == "black"                         ? 7
                       : command == "lit" || command == "magenta" ? 8
                       : command == "hue" || command == "differ"  ? 9
                                                                  : 0;
    const int pictures = command == "differ" ? 2 : 1;
    Picture first, second;
    Rect rect{};
    if (wanted == 0 || argc != wanted || !Load(argv[2], first) ||
        (pictures == 2 && !Load(argv[3], second)) || !ParseRect(argv + 2 + pictures, first, rect) ||
        (pictures == 2 && (second.width != first.width || second.height != first.height))) {
        return 2;
    }
    const double degrees = command == "hue" ? std::atof(argv[7]) : 0.0;
    const double measured = Fraction(rect, [&](int x, int y) {
        const unsigned char* p = first.At(x, y);
        if (command == "magenta") return IsMagenta(p);
        if (command == "hue") return HasHue(p, degrees);
        if (command == "differ") return Differ(p, second.At(x, y));
        return !IsBlack(p);
    });
    if (command == "black") {
        std::printf("non-black fraction %.6f\n", measured);
        return measured == 0.0 ? 0 : 1;
    }
    const double least = std::atof(argv[argc - 1]);
    std::printf("%s fraction %.6f (wanted at least %.6f)\n", command.c_str(), measured, least);
    return measured >= least ? 0 : 1;
}
