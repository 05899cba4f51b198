// Loaded settings and settings-sheet controls written out on one line, so that tests compare a
// whole record at once and a failure shows every value.
#pragma once

#include <string>

#include "host/settings.h"

inline std::string SettingsText(const SETTINGS& s) {
    return "dogs=" + std::to_string(s.NUM_DOGS) + " size=" + std::to_string(s.LDOGSIZE) + "/" +
           std::to_string(int(s.dogSize * 100 + 0.5f)) +
           " prints=" + std::to_string(s.NUM_FOOTPRINTS) + " tile=" + std::to_string(s.TILEBG) +
           " type=" + std::to_string(s.BGTYPE) + " res=" + std::to_string(s.BGRES) +
           " path=" + s.BGPath + " main=" + std::to_string(s.MAIN_MONITOR_ONLY);
}
