#include "platform/wayland/wayland_desktop_picture.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "assets/regular_file.h"

namespace {

// No configuration file of a wallpaper program comes near this.
constexpr std::uint64_t kLargestConfig = 1 << 20;

using Arguments = std::vector<std::string>;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
    return Environment("HOME");
}

std::string ConfigFolder() {
    const std::string configured = Environment("XDG_CONFIG_HOME");
    return configured.empty() ? HomeFolder() + "/.config" : configured;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// A file's text, or false when it is missing, not a regular file or unreasonably large.
bool ReadConfig(const std::string& path, std::string& text) {
    RegularFile file;
    std::string reason;
    return file.Open(path.c_str(), kLargestConfig, reason) && file.ReadAll(text, reason);
}

// The command lines of our own processes called `program` (other users' are none of ours).
std::vector<std::pair<std::string, Arguments>> OwnProcesses(const std::string& program) {
    std::vector<std::pair<std::string, Arguments>> found;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return found;
    while (const dirent* entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string folder = "/proc/" + pid;
        struct stat status {};
        if (stat(folder.c_str(), &status) != 0 || status.st_uid != getuid()) continue;
        std::ifstream cmdline(folder + "/cmdline", std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(cmdline)),
                                std::istreambuf_iterator<char>());
        Arguments arguments;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t end = bytes.find('\0', at);
            arguments.push_back(bytes.substr(at, end - at));
            at = end == std::string::npos ? bytes.size() : end + 1;
        }
        if (arguments.empty() || BaseName(arguments[0]) != program) continue;
        found.emplace_back(folder, Arguments(arguments.begin() + 1, arguments.end()));
    }
    closedir(proc);
    return found;
}

// The working folder of a process, where its relative paths start.
std::string WorkingFolder(const std::string& processFolder) {
    char target[4096];
    const ssize_t length = readlink((processFolder + "/cwd").c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, std::size_t(length)) : std::string();
}

std::string FromRunningSwaybg(const std::string& output) {
    for (const auto& [folder, arguments] : OwnProcesses("swaybg")) {
        std::string path = PictureForOutput(ParseSwaybgArguments(arguments), output);
        if (path.empty()) continue;
        if (path[0] != '/') path = WorkingFolder(folder) + "/" + path;
        return path;
    }
    return "";
}

// The configuration a running sway was started with (-c/--config), else the first of the
// files sway itself looks for.
std::string SwayConfigPath() {
    for (const auto& [folder, arguments] : OwnProcesses("sway")) {
        for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
            if (arguments[i] != "-c" && arguments[i] != "--config") continue;
            const std::string& path = arguments[i + 1];
            if (path.empty()) break;
            return path[0] == '/' ? path : WorkingFolder(folder) + "/" + path;
        }
    }
    const std::string home = HomeFolder();
    const std::string config = ConfigFolder();
    for (const std::string& path :
         {home + "/.sway/config", config + "/sway/config", home + "/.i3/config",
          config + "/i3/config", std::string("/etc/sway/config"), std::string("/etc/i3/config")}) {
        if (access(path.c_str(), R_OK) == 0) return path;
    }
    return "";
}

std::string FromSwayConfig(const std::string& output) {
    const std::string path = SwayConfigPath();
    std::string text;
    if (path.empty() || !ReadConfig(path, text)) return "";
    return PictureForOutput(ParseSwayConfig(text, {HomeFolder(), FolderOf(path)}), output);
}

std::string FromHyprpaper(const std::string& output) {
    std::string text;
    if (!ReadConfig(ConfigFolder() + "/hypr/hyprpaper.conf", text)) return "";
    return PictureForOutput(ParseHyprpaperConfig(text, {HomeFolder(), ""}), output);
}

}  // namespace

std::string WaylandDesktopPicture::PicturePath(int screenNumber) {
    const std::vector<ScreenInfo> screens = screens_.List();
    const ScreenInfo* screen = FindScreen(screens, screenNumber);
    const std::string output = screen ? screen->name : std::string();
    for (auto source : {FromRunningSwaybg, FromSwayConfig, FromHyprpaper}) {
        std::string path = source(output);
        if (!path.empty()) return path;
    }
    return otherwise_ ? otherwise_->PicturePath(screenNumber) : std::string();
}
