// The preferences file is plain text a user may edit by hand or a crash may have cut short: any
// contents must load into settings the scene can use, and the store must stay writable. Nothing
// of the user's file is lost: a file read only in part is kept whole as the backup before it is
// replaced, and the file written in its place reads back whole.
// Input: the whole file.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/alert.h"
#include "host/settings.h"
#include "platform/keyfile_store.h"

namespace {

class SilentAlert : public Alert {
  public:
    void Show(const char*, const char*) override {}
    void Report(const char*) override {}
};

std::string ReadFile(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

// One file per process, so that parallel fuzzing jobs never share it.
const std::string& StorePath() {
    static const std::string path = [] {
        char folder[] = "/tmp/velmora-prefs-fuzz-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        return std::string(folder) + "/VelmoraSaver.ini";
    }();
    return path;
}

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "loaded settings out of bounds: %s\n", what);
    std::abort();
}

void CheckBounds(const SETTINGS& s) {
    Check(s.NUM_DOGS >= kMinCats && s.NUM_DOGS <= kMaxCats, "NUM_DOGS");
    Check(s.LDOGSIZE >= kMinSizePercent && s.LDOGSIZE <= kMaxSizePercent, "LDOGSIZE");
    Check(s.NUM_FOOTPRINTS >= kMinFootprints && s.NUM_FOOTPRINTS <= kMaxFootprints,
          "NUM_FOOTPRINTS");
    Check(s.BGTYPE >= 0 && s.BGTYPE <= kMaxBackgroundType, "BGTYPE");
    Check(s.BGRES >= 0 && s.BGRES <= kMaxResolution, "BGRES");
    Check(std::isfinite(s.dogSize) && s.dogSize > 0.0f, "dogSize");
    Check(std::memchr(s.BGPath, '\0', sizeof(s.BGPath)) != nullptr, "BGPath unterminated");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentAlert silent;
    SetAlert(&silent);
    const std::string& path = StorePath();
    const std::string backup = path + ".bad";
    std::remove(backup.c_str());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    SETTINGS settings;
    bool mainMonitorOnly = true;
    {
        KeyFileStore store(path);
        const bool damaged = store.State() == KeyFileStore::FileState::kDamaged;
        LoadSettings(store, settings, mainMonitorOnly);
        CheckBounds(settings);
        // What was loaded is saved and read back unchanged: the file written over a damaged
        // one is sound.
        if (!SaveSettings(store, settings, mainMonitorOnly)) return 0;
        const std::string kept = ReadFile(backup);
        Check(
            damaged ? kept == std::string(reinterpret_cast<const char*>(data), size) : kept.empty(),
            "the backup does not hold the damaged file whole, or a sound file was backed up");
    }
    KeyFileStore again(path);
    Check(again.State() == KeyFileStore::FileState::kRead, "the saved file is not read whole");
    SETTINGS reread;
    bool rereadMainOnly = false;
    LoadSettings(again, reread, rereadMainOnly);
    CheckBounds(reread);
    Check(reread.NUM_DOGS == settings.NUM_DOGS && reread.LDOGSIZE == settings.LDOGSIZE &&
              reread.NUM_FOOTPRINTS == settings.NUM_FOOTPRINTS &&
              reread.BGTYPE == settings.BGTYPE && reread.BGRES == settings.BGRES &&
              reread.TILEBG == settings.TILEBG && rereadMainOnly == mainMonitorOnly &&
              std::strcmp(reread.BGPath, settings.BGPath) == 0,
          "saved settings read back differently");
    return 0;
}
