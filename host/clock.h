// Time as the saver needs it: a monotonic clock for frame times (immune to clock changes) and
// the wall-clock second that seeds the random generator.
#pragma once

#include <cstdint>

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds on a monotonic clock; only differences mean anything.
    virtual double Now() = 0;
    // Wall-clock time in whole seconds, limited to 0..4294967295.
    virtual uint32_t WallSeconds() = 0;
};
