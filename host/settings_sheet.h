// The settings sheet's logic, free of any toolkit: the values its controls show, filling them
// from a view's settings, Save, Cancel, Defaults, the controls that depend on the background
// source, and the folder choice. The dialog (apps/velmora-settings) draws the controls and
// forwards the user's actions here.
#pragma once

#include <string>
#include <vector>

#include "host/preferences_store.h"
#include "host/settings.h"

// Title of the folder chooser.
inline constexpr const char* kFolderChooserTitle =
    "Select Folder To Load Random Background Images From";

class SettingsSheet {
  public:
    // The sheet edits `settings` and `mainMonitorOnly` (the view's own) and saves to `store`.
    SettingsSheet(SETTINGS& settings, bool& mainMonitorOnly, PreferencesStore& store);

    // Fills the controls from the current settings and opens the sheet.
    void configureSheet();
    // Ends the sheet; nothing is stored.
    void configureSheet_cancel();
    // Copies the controls into the settings and the store, then ends the sheet. False when the
    // store could not be written: the sheet then stays open so the user can retry or cancel.
    bool configureSheet_save();
    // Sets the controls to the default values (the folder is kept); stores nothing.
    void configureSheet_defaults();
    // The background source changed to `index`.
    void configureSheet_update(int index);
    // Enables the folder only for pictures from a folder, the resolution only for the screen.
    void configureSheet_updatestates();
    // The user confirmed `folder` in the folder chooser: the settings' folder changes at once,
    // the store only on saving. False, changing nothing, for a path the settings cannot hold
    // whole.
    bool configureSheet_bgpath(const std::string& folder);

    // The saver's options that show the controls' current values in a preview drawn into the
    // X window `windowId`, without saving them.
    std::vector<std::string> PreviewArguments(unsigned long windowId) const;

    bool IsOpen() const { return open_; }

    // The controls, named after what they show. The dialog writes the user's changes here.
    bool oMainMonitorOnly = false;
    int oNumDogs = 0;
    int oDogSize = 0;
    int oNumFootprints = 0;
    bool oTileBG = false;
    int oBGType = 0;
    int oBGRes = 0;
    std::string oBGPath;  // the folder button's title
    bool oBGPathEnabled = false;
    bool oBGResEnabled = false;

  private:
    // Puts `values` into the controls; the folder shown stays the view's current one.
    void ShowValues(const SETTINGS& values, bool mainMonitorOnly);

    SETTINGS& settings_;
    bool& mainMonitorOnly_;
    PreferencesStore& store_;
    bool open_ = false;
};
