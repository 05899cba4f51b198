// The user's settings: loading the SETTINGS record from the preferences store "VelmoraSaver"
// and saving it there, row by row of the preference table.
#pragma once

#include <string>

#include "core/settings.h"
#include "host/preferences.h"
#include "host/preferences_store.h"

// The version of the stored values; a store holding another version is reset to the defaults.
inline constexpr const char* kSettingsVersion = "1.01";

// The values a first run uses.
SETTINGS DefaultSettings();

// Copies `folder` into BGPath when it fits; a longer path is refused (false) and BGPath kept,
// since a shortened path would name another folder.
bool SetBackgroundFolder(SETTINGS& settings, const std::string& folder);

// When loading finds no settings of this version, the defaults it puts into the store reach
// lasting storage at once (a run of the saver), or only with the next save: the settings dialog,
// whose Cancel must leave the file as it was, and the dialog's preview.
enum class StoreDefaults { kAtOnce, kWithNextSave };

// Fills the record from the store. A missing or different "version" resets every stored key to
// its default (flushing the store as `when` says); then dogSize is derived and every value is
// brought within its bounds: numbers to the nearer bound, a choice that names none of the
// choices to the value its row gives.
void LoadSettings(PreferencesStore& store, SETTINGS& settings,
                  StoreDefaults when = StoreDefaults::kAtOnce);

// Writes the record to the store ("version" is left alone) and flushes it; false when the
// values could not be written to lasting storage.
bool SaveSettings(PreferencesStore& store, const SETTINGS& settings);
