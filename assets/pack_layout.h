// The resource files Velmora ships and the slots of the scene pack: what the generator writes,
// the engine reads and the tests build, said once.
#pragma once

namespace pack_layout {

// The files of the resources folder.
inline constexpr const char* kScenePack = "pebble.courtyards";   // the scene's pictures
inline constexpr const char* kCatPack = "c.vlm";                 // the cat model and its clips
inline constexpr const char* kSkinPack = "ct.vlm";               // the cats' coats
inline constexpr const char* kToyPack = "t.vlm";                 // the toy model
inline constexpr const char* kFallbackPicture = "fallback.jpg";  // the ground when none is found
inline constexpr const char* kAllFiles[] = {kScenePack, kCatPack, kSkinPack, kToyPack,
                                            kFallbackPicture};

// The scene pack's pictures, one a lump, by lump index. Slots 0, 2 and 3 (a sky and a title
// card) are kept for the pack format's sake; the scene draws none of them.
inline constexpr int kBannerCornerSlot = 1;
inline constexpr int kFirstMessageSlot = 4;  // the banner's messages and captions
inline constexpr int kMessageCount = 4;
inline constexpr int kFootprintSlot = 8;
inline constexpr int kFirstToySkinSlot = 9;  // the yarn ball's colours
inline constexpr int kToySkinCount = 4;
inline constexpr int kSceneSlotCount = kFirstToySkinSlot + kToySkinCount;

static_assert(kFirstMessageSlot + kMessageCount <= kFootprintSlot, "slots overlap");
static_assert(kFootprintSlot < kFirstToySkinSlot, "slots overlap");

}  // namespace pack_layout
