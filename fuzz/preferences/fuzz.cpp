// The preferences file is plain text a user may edit by hand or a crash may have cut short: any
// contents must load into settings the scene can use, and the store must stay writable. Nothing
// of the user's file is lost: a file read only in part is kept whole as the backup before it is
// replaced, and the file written in its place reads back whole.
// Input: the whole file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/settings.h"
#include "platform/keyfile_store.h"
#include "tests/support/recording_alert.h"
#include "tests/support/test_files.h"

namespace {

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "preferences fuzz: %s\n", what);
    std::abort();
}

// Loads the settings from `store` and checks they are in bounds.
void LoadInBounds(KeyFileStore& store, SETTINGS& s) {
    LoadSettings(store, s);
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
    RecordingAlert quiet;
    static const test_files::ScratchFolder folder;  // one per process, for parallel fuzzing jobs
    const std::string path = folder / "VelmoraSaver.ini", backup = path + ".bad";
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::remove(backup.c_str());
    test_files::WriteText(path, text);
    SETTINGS settings;
    {
        KeyFileStore store(path);
        const bool damaged = store.State() == KeyFileStore::FileState::kDamaged;
        LoadInBounds(store, settings);
        // What was loaded is saved and read back unchanged: the file written over a damaged
        // one is sound.
        if (!SaveSettings(store, settings)) return 0;
        Check(test_files::ReadText(backup) == (damaged ? text : ""),
              "the backup does not hold the damaged file whole, or a sound file was backed up");
    }
    KeyFileStore again(path);
    Check(again.State() == KeyFileStore::FileState::kRead, "the saved file is not read whole");
    SETTINGS reread;
    LoadInBounds(again, reread);
    Check(reread.NUM_DOGS == settings.NUM_DOGS && reread.LDOGSIZE == settings.LDOGSIZE &&
              reread.NUM_FOOTPRINTS == settings.NUM_FOOTPRINTS &&
              reread.BGTYPE == settings.BGTYPE && reread.BGRES == settings.BGRES &&
              reread.TILEBG == settings.TILEBG &&
              reread.MAIN_MONITOR_ONLY == settings.MAIN_MONITOR_ONLY &&
              std::strcmp(reread.BGPath, settings.BGPath) == 0,
          "saved settings read back differently");
    return 0;
}
