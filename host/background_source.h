// The ground picture: a capture of the screen under the view, the desktop picture of the view's
// screen, or a random picture from a folder, each with the shipped picture as the last resort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/texture.h"
#include "host/screens.h"

struct SETTINGS;

// An image of the screen, RGBA bytes, bottom row first (OpenGL's order).
struct CapturedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Reads what the desktop shows under a rectangle. The platform decides how: the root window
// before our windows map, or XScreenSaver's helper, which honours the user's privacy choice.
class ScreenCapture {
  public:
    virtual ~ScreenCapture() = default;
    // False when nothing could be read.
    virtual bool Capture(const ScreenRect& frame, CapturedImage& out) = 0;
};

// The desktop settings' picture of a screen, as the system's desktop names it.
class DesktopPictureLookup {
  public:
    virtual ~DesktopPictureLookup() = default;
    // The picture's path, or an empty string when the desktop names none for this screen.
    virtual std::string PicturePath(int screenNumber) = 0;
};

// The picture shipped in the resources folder, used when no other picture is available.
inline constexpr const char* kFallbackPictureName = "fallback.jpg";

// Largest side of a captured texture at a detail level: 512 at 0, 1024 at 1, the OpenGL
// maximum at any other level.
int CaptureSideLimit(int detail, int maxTextureSize);

// The power of two nearest to `side` in the logarithmic sense (1440 gives 1024, 1920 gives 2048).
int NearestPowerOfTwo(int side);

struct TextureSize {
    int width = 0;
    int height = 0;
};
// The texture size of a width x height capture at a detail level.
TextureSize CaptureTextureSize(int width, int height, int detail, int maxTextureSize);

// True when some pixel has a non-zero red, green or blue byte (alpha is not looked at).
bool HasVisiblePixel(const uint8_t* rgba, std::size_t pixelCount);

// Turns a capture into the texture named at *texName (a new name is made when it holds 0):
// resampled to power-of-two sides within the detail's limit. When resampling fails or the image
// is entirely black (a screen that cannot be read), the texture is deleted and 0 stored.
// Needs a current GL context.
void MakeCaptureTexture(const CapturedImage& image, int detail, uint32_t* texName);

// The desktop picture to load for a screen: the desktop's own choice, or `fallbackPath` when
// there is none or its path is too short to name a file (4 characters or fewer).
std::string DesktopPicturePath(DesktopPictureLookup* lookup, int screenNumber,
                               const std::string& fallbackPath);

// Where a ground picture may come from, besides the folder of the settings.
struct GroundPictureSources {
    DesktopPictureLookup* desktop = nullptr;  // the desktop picture files; may be null
    // The desktop's background as the display holds it (the picture most wallpaper setters
    // publish on the root window), read over `frame`; may be null.
    ScreenCapture* backdrop = nullptr;
    int screenNumber = 0;
    ScreenRect frame;
    std::string fallbackPath;  // the shipped picture
};

// How many pictures of a folder are tried before the folder is given up.
inline constexpr int kFolderPicturesTried = 3;

// Loads the ground picture of sources 1 (the desktop picture) and 2 (a random picture from the
// settings' folder) into `deskTex`. A folder's picture that cannot be read gives way to other
// pictures of the folder (a few, at random), then to the desktop picture; the desktop picture
// file to the desktop's background, then to the shipped picture. Every picture that cannot be
// read is named once on the alert sink with the reason. Needs a current GL context. False when
// no picture could be loaded (deskTex then has no texture).
bool LoadGroundPicture(const SETTINGS& settings, const GroundPictureSources& sources,
                       Texture& deskTex);
