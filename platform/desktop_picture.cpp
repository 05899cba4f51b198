#include "platform/desktop_picture.h"

#include <dirent.h>
#include <gio/gio.h>

#include <sys/stat.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "assets/regular_file.h"
#include "platform/gnome_slideshow.h"

namespace {

// Settings files and slide shows are small; anything larger is not one.
constexpr std::uint64_t kMaxConfigBytes = 4 * 1024 * 1024;

std::string ReadSmallFile(const std::string& path) {
    RegularFile file;
    std::string text, reason;
    if (!file.Open(path.c_str(), kMaxConfigBytes, reason) || !file.ReadAll(text, reason)) return "";
    return text;
}

// The parts of a list; desktop names are compared in lower case, folder names as they are.
std::vector<std::string> Split(const char* text, char separator, bool lowerCase) {
    std::vector<std::string> parts;
    if (text == nullptr) return parts;
    std::string part;
    for (const char* c = text;; ++c) {
        if (*c == separator || *c == '\0') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
            if (*c == '\0') break;
        } else {
            part += lowerCase ? char(std::tolower(static_cast<unsigned char>(*c))) : *c;
        }
    }
    return parts;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A Plasma wallpaper package ("/usr/share/wallpapers/Next/") keeps one picture per size in
// contents/images/, named "1920x1080.png": the one whose width is nearest the monitor's.
std::string PackagePicture(const std::string& folder, int monitorWidth) {
    const std::string images = folder + (folder.back() == '/' ? "" : "/") + "contents/images/";
    DIR* dir = opendir(images.c_str());
    if (dir == nullptr) return "";
    std::string best;
    int bestDistance = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const int width = std::atoi(entry->d_name);
        const int distance = std::abs(width - monitorWidth);
        if (best.empty() || distance < bestDistance) {
            best = images + entry->d_name;
            bestDistance = distance;
        }
    }
    closedir(dir);
    return best;
}

}  // namespace

DesktopSession DesktopSession::FromEnvironment() {
    DesktopSession session;
    const char* home = std::getenv("HOME");
    session.home = home ? home : "";
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    session.configHome =
        configHome && configHome[0] == '/' ? std::string(configHome) : session.home + "/.config";
    const char* configDirs = std::getenv("XDG_CONFIG_DIRS");
    session.configDirs = Split(configDirs && *configDirs ? configDirs : "/etc/xdg", ':', false);
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    session.desktops =
        Split(current && *current ? current : std::getenv("DESKTOP_SESSION"), ':', true);
    session.now = std::time(nullptr);
    return session;
}

DesktopPictureFinder::DesktopPictureFinder(DesktopSession session, Screens* screens,
                                           const char* schemaFolder)
    : session_(std::move(session)), screens_(screens), settings_(schemaFolder) {}

std::vector<DesktopPictureFinder::Source> DesktopPictureFinder::SourcesInOrder(
    std::vector<Source>& sessions) const {
    static const struct {
        const char* name;
        Source source;
    } kDesktops[] = {{"gnome", Source::Gnome},
                     {"gnome-classic", Source::Gnome},
                     {"gnome-flashback", Source::Gnome},
                     {"ubuntu", Source::Gnome},
                     {"unity", Source::Gnome},
                     {"pantheon", Source::Gnome},
                     {"budgie", Source::Gnome},
                     {"budgie-desktop", Source::Gnome},
                     {"x-cinnamon", Source::Cinnamon},
                     {"cinnamon", Source::Cinnamon},
                     {"mate", Source::Mate},
                     {"xfce", Source::Xfce},
                     {"kde", Source::Plasma},
                     {"plasma", Source::Plasma},
                     {"lxqt", Source::Lxqt},
                     {"lxde", Source::Lxde},
                     {"lxde-pi", Source::Lxde}};
    for (const std::string& name : session_.desktops) {
        for (const auto& desktop : kDesktops) {
            if (name == desktop.name &&
                std::find(sessions.begin(), sessions.end(), desktop.source) == sessions.end()) {
                sessions.push_back(desktop.source);
            }
        }
    }
    const std::vector<Source> tools = {Source::Feh, Source::Nitrogen};
    if (!sessions.empty()) {
        std::vector<Source> order = sessions;
        order.insert(order.end(), tools.begin(), tools.end());
        return order;
    }
    std::vector<Source> order = tools;
    order.insert(order.end(), {Source::Gnome, Source::Cinnamon, Source::Mate, Source::Xfce,
                               Source::Plasma, Source::Lxqt, Source::Lxde});
    return order;
}

MonitorRef DesktopPictureFinder::Monitor(int screenNumber) const {
    MonitorRef monitor;
    monitor.index = screenNumber;
    monitor.workspace = session_.workspace;
    if (screens_ == nullptr) return monitor;
    const std::vector<ScreenInfo> screens = screens_->List();
    // Plasma numbers the primary monitor 0 and the others after it, in the server's order.
    int plasma = 1;
    for (const ScreenInfo& screen : screens) {
        const bool primary = screen.number == MainScreenNumber(screens);
        if (screen.number == screenNumber) {
            monitor.name = screen.name;
            monitor.width = screen.frame.width;
            monitor.plasmaScreen = primary ? 0 : plasma;
        }
        if (!primary) ++plasma;
    }
    return monitor;
}

std::string DesktopPictureFinder::ConfigText(const std::string& relative) const {
    std::vector<std::string> folders = {session_.configHome};
    folders.insert(folders.end(), session_.configDirs.begin(), session_.configDirs.end());
    for (const std::string& folder : folders) {
        const std::string text = ReadSmallFile(folder + "/" + relative);
        if (!text.empty()) return text;
    }
    return "";
}

std::string DesktopPictureFinder::Named(Source source, const MonitorRef& monitor,
                                        bool sessionsOwn) const {
    switch (source) {
        case Source::Gnome:
            return settings_.Picture(SettingsDesktop::Gnome, !sessionsOwn);
        case Source::Cinnamon:
            return settings_.Picture(SettingsDesktop::Cinnamon, !sessionsOwn);
        case Source::Mate:
            return settings_.Picture(SettingsDesktop::Mate, !sessionsOwn);
        case Source::Xfce:
            return XfconfWallpaper(ConfigText("xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml"),
                                   monitor);
        case Source::Plasma:
            return PlasmaWallpaper(
                ReadSmallFile(session_.configHome + "/plasma-org.kde.plasma.desktop-appletsrc"),
                monitor);
        case Source::Lxqt:
            return PcmanfmQtWallpaper(ConfigText("pcmanfm-qt/lxqt/settings.conf"));
        case Source::Lxde:
            for (const char* profile : {"LXDE-pi", "LXDE", "default"}) {
                const std::string folder = std::string("pcmanfm/") + profile + "/";
                for (const std::string& file :
                     {"desktop-items-" + std::to_string(monitor.index) + ".conf",
                      std::string("pcmanfm.conf")}) {
                    const std::string picture = PcmanfmWallpaper(ConfigText(folder + file));
                    if (!picture.empty()) return picture;
                }
            }
            return "";
        case Source::Feh:
            return FehWallpaper(ReadSmallFile(session_.home + "/.fehbg"), monitor);
        case Source::Nitrogen:
            return NitrogenWallpaper(ReadSmallFile(session_.configHome + "/nitrogen/bg-saved.cfg"),
                                     monitor);
    }
    return "";
}

std::string DesktopPictureFinder::Resolve(const std::string& named,
                                          const MonitorRef& monitor) const {
    std::string path =
        named.rfind("~/", 0) == 0 ? session_.home + named.substr(1) : PathFromPictureUri(named);
    if (path.empty()) return "";
    if (IsSlideShow(path)) {
        path = PathFromPictureUri(CurrentSlide(ReadSmallFile(path), session_.now));
    } else if (IsFolder(path)) {
        path = PackagePicture(path, monitor.width);
    }
    return path;
}

std::string DesktopPictureFinder::PicturePath(int screenNumber) {
    const MonitorRef monitor = Monitor(screenNumber);
    std::vector<Source> sessions;
    for (Source source : SourcesInOrder(sessions)) {
        const bool sessionsOwn =
            std::find(sessions.begin(), sessions.end(), source) != sessions.end();
        const std::string path = Resolve(Named(source, monitor, sessionsOwn), monitor);
        if (!path.empty()) return path;
    }
    return "";
}

std::string PathFromPictureUri(const std::string& uri) {
    if (!uri.empty() && uri[0] == '/') return uri;
    if (uri.rfind("file://", 0) != 0) return "";
    gchar* hostname = nullptr;
    gchar* filename = g_filename_from_uri(uri.c_str(), &hostname, nullptr);
    // A file on another host is not a file we can open.
    const bool local = hostname == nullptr || g_strcmp0(hostname, "localhost") == 0;
    std::string path = filename && local ? filename : "";
    g_free(filename);
    g_free(hostname);
    return path;
}
