// The scene's pictures: the banner's corner mark, the message strips, the paw print, the yarn
// skins, a few pictures for the unused intro slots, and the calm fallback desktop picture.
#pragma once

#include <string>

#include "tools/packgen/image.h"
#include "tools/packgen/text.h"

namespace packgen {

// The friendly lines of the four message strips.
extern const char* const kMessages[4];

Image CornerMark(const Font& font);  // 256 x 32, transparent background
// 512 x 32. With a transparent background, or (opaque) on black so that brightness can serve
// as alpha, or on a key colour that the loader makes transparent.
enum class StripBackground { Transparent, Black, Key };
Image MessageStrip(const Font& font, const std::string& text, StripBackground background);
Rgb StripKeyColour();
Image PawPrint();                        // white print on black, 128 x 128, toes towards the top
Image YarnSkin(int colour);              // 256 x 256, colour 0..3
Image NightSky();                        // 256 x 256
Image TitleCard(const Font& font);       // 256 x 64 on a key colour
Image Courtyard(int width, int height);  // the fallback desktop picture

}  // namespace packgen
