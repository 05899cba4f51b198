// Helpers of the hostile-settings and hostile-picture tests: a preferences file written as a user
// (or a damaged disk) might leave it, loaded through the real store and loader, and the shipped
// scene set up from the loaded record and run for some frames in the headless context.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/settings.h"

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Writes a preferences file of the current version holding `values` (key, raw text), then loads
// it with KeyFileStore and LoadSettings.
SETTINGS LoadStoredValues(const std::string& file,
                          const std::vector<std::pair<std::string, std::string>>& values);

// What a run of the scene showed.
struct SceneRun {
    bool setUp = false;
    int cats = 0;           // cats the population made
    int catsPlaced = 0;     // cats that entered the ground
    int footprintRing = 0;  // prints the ring keeps
    long footprintsLaid = 0;
    float dogSize = 0.0f;
    unsigned groundTexture = 0;
    bool groundIsTexture = false;       // the ground's name is a live GL texture
    std::vector<std::string> problems;  // anything non-finite or out of place, one line each
};

// Sets the shipped scene up (packs from the build's resources) with `settings` and `ground` as
// its ground texture (0 for none), and runs `frames` frames of 1/35 s at 64 x 48.
SceneRun RunScene(SETTINGS settings, unsigned ground, int frames);

// The shipped fallback picture.
std::string FallbackPicture();
