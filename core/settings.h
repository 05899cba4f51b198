// The user's settings as the saver holds them in memory: the SETTINGS record each view keeps,
// which the scene and the cats read. How the values are stored, bounded and offered to the user
// is said once, in the preference table (host/preferences.h).
#pragma once

#include <cstddef>
#include <cstdint>

struct SETTINGS {
    int32_t NUM_FOOTPRINTS = 0;  // footprints the cats keep on the ground
    int32_t NUM_DOGS = 0;        // number of cats, 0..3 after loading
    int32_t LDOGSIZE = 0;        // cat size in percent; 100 is the normal size
    bool TILEBG = false;         // tile the ground picture 5 x 5 and fog the distance
    float dogSize = 0.0f;        // LDOGSIZE / 100, derived on loading, never stored
    int32_t BGTYPE = 0;          // 0 captured screen, 1 desktop picture, 2 picture from BGPath
    char BGPath[1024] = {};      // folder of background pictures, NUL-terminated
    int32_t BGRES = 0;           // capture limit: 0 at most 512, 1 at most 1024, 2 the GL maximum
    bool MAIN_MONITOR_ONLY = false;  // only the main monitor animates; the view copies it
};

// The longest folder path the record holds (the terminating NUL takes the last byte).
inline constexpr size_t kMaxPathLength = sizeof(SETTINGS{}.BGPath) - 1;
