// The process's peak resident memory, for tests that bound what a refusal or a load may cost.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

// VmHWM of /proc/self/status, in kilobytes (0 when it cannot be read).
inline long PeakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}
