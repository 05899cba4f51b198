#include "host/settings_sheet.h"

#include "host/preference_options.h"

SettingsSheet::SettingsSheet(SETTINGS& settings, PreferencesStore& store)
    : settings_(settings), store_(store) {}

void SettingsSheet::ShowValues(const SETTINGS& values) {
    shown = values;
    SetBackgroundFolder(shown, settings_.BGPath);  // always the view's current folder
}

void SettingsSheet::configureSheet() {
    ShowValues(settings_);
    open_ = true;
}

void SettingsSheet::configureSheet_cancel() {
    open_ = false;
}

bool SettingsSheet::configureSheet_save() {
    // The size factor follows at the next loading, as with any stored value.
    const float sizeFactor = settings_.dogSize;
    settings_ = shown;
    settings_.dogSize = sizeFactor;
    if (!SaveSettings(store_, settings_)) return false;
    open_ = false;
    return true;
}

void SettingsSheet::configureSheet_defaults() {
    ShowValues(DefaultSettings());
}

bool SettingsSheet::configureSheet_bgpath(const std::string& folder) {
    if (!SetBackgroundFolder(settings_, folder)) return false;
    SetBackgroundFolder(shown, folder);
    return true;
}

bool SettingsSheet::Enabled(const Preference& p) const {
    return p.enabledBy == nullptr || PreferenceFor(p.enabledBy).Value(shown) == p.enabledWhen;
}

std::vector<std::string> SettingsSheet::PreviewArguments(unsigned long windowId) const {
    std::vector<std::string> args = {"--preview", "--window-id", std::to_string(windowId)};
    const std::vector<std::string> values = PreferenceArguments(shown);
    args.insert(args.end(), values.begin(), values.end());
    return args;
}
