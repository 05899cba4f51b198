#include "platform/system_clock.h"

#include <time.h>

#include <cstdint>

double SystemClock::Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

uint32_t SystemClock::WallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    // The seed is a whole second; times before 1970 or after 2106 are held at the ends.
    if (ts.tv_sec < 0) return 0;
    if (static_cast<uint64_t>(ts.tv_sec) > UINT32_MAX) return UINT32_MAX;
    return static_cast<uint32_t>(ts.tv_sec);
}
