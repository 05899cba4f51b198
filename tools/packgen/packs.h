// Builds every resource the system ships (assets/pack_layout.h names the files) and writes them
// into a folder: the cat model and its clips, its skins, the toy, the scene pictures and the
// fallback desktop picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packgen {

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
