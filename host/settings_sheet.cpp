#include "host/settings_sheet.h"

SettingsSheet::SettingsSheet(SETTINGS& settings, bool& mainMonitorOnly, PreferencesStore& store)
    : settings_(settings), mainMonitorOnly_(mainMonitorOnly), store_(store) {}

void SettingsSheet::ShowValues(const SETTINGS& values, bool mainMonitorOnly) {
    oMainMonitorOnly = mainMonitorOnly;
    oDogSize = values.LDOGSIZE;
    oNumDogs = values.NUM_DOGS;
    oNumFootprints = values.NUM_FOOTPRINTS;
    oTileBG = values.TILEBG;
    oBGType = values.BGTYPE;
    oBGRes = values.BGRES;
    oBGPath = settings_.BGPath;  // the folder shown is always the view's current one
    configureSheet_updatestates();
}

void SettingsSheet::configureSheet() {
    ShowValues(settings_, mainMonitorOnly_);
    open_ = true;
}

void SettingsSheet::configureSheet_cancel() {
    open_ = false;
}

bool SettingsSheet::configureSheet_save() {
    mainMonitorOnly_ = oMainMonitorOnly;
    settings_.LDOGSIZE = oDogSize;
    settings_.NUM_DOGS = oNumDogs;
    settings_.NUM_FOOTPRINTS = oNumFootprints;
    settings_.TILEBG = oTileBG;
    settings_.BGTYPE = oBGType;
    settings_.BGRES = oBGRes;
    // The folder button shows the folder to store; it always fits, as every way it is set
    // checks that.
    SetBackgroundFolder(settings_, oBGPath);
    if (!SaveSettings(store_, settings_, mainMonitorOnly_)) return false;
    open_ = false;
    return true;
}

void SettingsSheet::configureSheet_defaults() {
    ShowValues(DefaultSettings(), false);
}

void SettingsSheet::configureSheet_update(int index) {
    oBGType = index;
    configureSheet_updatestates();
}

void SettingsSheet::configureSheet_updatestates() {
    oBGPathEnabled = oBGType == 2;
    oBGResEnabled = oBGType == 0;
}

bool SettingsSheet::configureSheet_bgpath(const std::string& folder) {
    if (!SetBackgroundFolder(settings_, folder)) return false;
    oBGPath = settings_.BGPath;
    return true;
}

std::vector<std::string> SettingsSheet::PreviewArguments(unsigned long windowId) const {
    static const char* const kSources[] = {"screen", "desktop", "folder"};
    const int source = oBGType >= 0 && oBGType <= 2 ? oBGType : 0;
    std::vector<std::string> args = {"--preview",
                                     "--window-id",
                                     std::to_string(windowId),
                                     "--cats",
                                     std::to_string(oNumDogs),
                                     "--size",
                                     std::to_string(oDogSize),
                                     "--footprints",
                                     std::to_string(oNumFootprints),
                                     "--background",
                                     kSources[source],
                                     oTileBG ? "--tile" : "--no-tile",
                                     "--resolution",
                                     std::to_string(oBGRes)};
    // An empty folder is no folder: the saver then keeps its own.
    if (!oBGPath.empty()) {
        args.push_back("--folder");
        args.push_back(oBGPath);
    }
    if (oMainMonitorOnly) args.push_back("--main-monitor-only");
    return args;
}
