// The Linux clock: CLOCK_MONOTONIC for frame times, CLOCK_REALTIME for the seed.
#pragma once

#include "host/clock.h"

class SystemClock : public Clock {
  public:
    double Now() override;
    uint32_t WallSeconds() override;
};
