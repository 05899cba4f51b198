// Builds every resource the system ships and writes them into a folder: the cat model and its
// clips ("c.vlm"), its skins ("ct.vlm"), the toy ("t.vlm"), the scene pictures
// ("pebble.courtyards") and the fallback desktop picture ("fallback.jpg").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packgen {

constexpr const char* kScenePack = "pebble.courtyards";
constexpr const char* kCatPack = "c.vlm";
constexpr const char* kSkinPack = "ct.vlm";
constexpr const char* kToyPack = "t.vlm";
constexpr const char* kFallbackPicture = "fallback.jpg";

struct OutputFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Everything, in memory. False with a reason when something cannot be built (for instance the
// font is missing).
bool BuildResources(std::vector<OutputFile>* files, std::string* error);
// BuildResources, then every file written into `folder` (which must exist).
bool WriteResources(const std::string& folder, std::string* error);

}  // namespace packgen
