// What the user lets XScreenSaver's hacks show of the desktop, read as xscreensaver-getimage
// reads it: ~/.xscreensaver first, then XScreenSaver's application defaults (Debian ships
// "grabDesktopImages: False"). With neither grabbing nor a folder of pictures allowed,
// xscreensaver-getimage paints a test card of colour bars, which is no ground for cats: the saver
// then shows the desktop picture instead.
#pragma once

#include <string>
#include <vector>

struct XScreenSaverImagePrefs {
    bool grabDesktopImages = false;
    bool chooseRandomImages = false;
    std::string imageDirectory;

    // xscreensaver-getimage gives a real picture: the desktop, or one from the user's folder.
    bool GivesAPicture() const {
        return grabDesktopImages || (chooseRandomImages && !imageDirectory.empty());
    }
};

// The application defaults files XScreenSaver reads, in order.
std::vector<std::string> XScreenSaverDefaultsFiles();

// Reads the preferences from `home`/.xscreensaver, each key not found there from the first of
// `defaultsFiles` that sets it.
XScreenSaverImagePrefs ReadXScreenSaverImagePrefs(const std::string& home,
                                                  const std::vector<std::string>& defaultsFiles);
