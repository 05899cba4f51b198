#include "platform/install_paths.h"

#include <limits.h>
#include <unistd.h>

std::string ProgramFolder() {
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) return std::string();
    const std::string path(exe, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::string DefaultResourceFolder() {
    std::string bin = ProgramFolder();
    if (bin.empty()) return "share/velmora/";
    bin.pop_back();  // the slash after bin
    return bin.substr(0, bin.rfind('/') + 1) + "share/velmora/";
}
