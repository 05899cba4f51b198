#include "platform/install_paths.h"

#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

#include "assets/regular_file.h"

namespace {

// share/NAME/ beside the program's bin/ folder.
std::string BesideProgram(const std::string& name) {
    std::string bin = ProgramFolder();
    if (bin.empty()) return "share/" + name + "/";
    bin.pop_back();  // the slash after bin
    return bin.substr(0, bin.rfind('/') + 1) + "share/" + name + "/";
}

}  // namespace

std::string ProgramFolder() {
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) return std::string();
    const std::string path(exe, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::string DefaultResourceFolder() {
    return BesideProgram("velmora");
}

std::string DocumentationFolder() {
    return BesideProgram("doc/velmora");
}

std::vector<std::string> ResourceFolderCandidates() {
    std::vector<std::string> folders;
    for (std::string folder :
         {DefaultResourceFolder(), std::string(VELMORA_INSTALL_RESOURCES),
          std::string("/usr/local/share/velmora"), std::string("/usr/share/velmora")}) {
        if (folder.empty() || folder.back() != '/') folder += '/';
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    return folders;
}

bool IsResourceFolder(const std::string& folder) {
    RegularFile pack;
    std::string reason;
    const std::string path =
        folder + (folder.empty() || folder.back() == '/' ? "" : "/") + "pebble.courtyards";
    return pack.Open(path.c_str(), std::numeric_limits<std::uint64_t>::max(), reason);
}

std::string FindResourceFolder(const std::vector<std::string>& candidates) {
    for (const std::string& folder : candidates) {
        if (IsResourceFolder(folder)) return folder;
    }
    return "";
}
