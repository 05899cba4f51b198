// The settings sheet's logic, free of any toolkit: the values its controls show, filling them
// from a view's settings, Save, Cancel, Defaults, the controls that depend on the background
// source, and the folder choice. The dialog (apps/velmora-settings) draws one control per row of
// the preference table and forwards the user's actions here.
#pragma once

#include <string>
#include <vector>

#include "host/preferences.h"
#include "host/preferences_store.h"
#include "host/settings.h"

// Title of the folder chooser.
inline constexpr const char* kFolderChooserTitle =
    "Select Folder To Load Random Background Images From";

class SettingsSheet {
  public:
    // The sheet edits `settings` (the view's own) and saves to `store`.
    SettingsSheet(SETTINGS& settings, PreferencesStore& store);

    // Fills the controls from the current settings and opens the sheet.
    void configureSheet();
    // Ends the sheet; nothing is stored.
    void configureSheet_cancel();
    // Copies the controls into the settings and the store, then ends the sheet. False when the
    // store could not be written: the sheet then stays open so the user can retry or cancel.
    bool configureSheet_save();
    // Sets the controls to the default values (the folder is kept); stores nothing.
    void configureSheet_defaults();
    // The user confirmed `folder` in the folder chooser: the settings' folder changes at once,
    // the store only on saving. False, changing nothing, for a path the settings cannot hold
    // whole.
    bool configureSheet_bgpath(const std::string& folder);

    // Whether the control of `p` is offered now: the folder only for pictures from a folder,
    // the resolution only for the screen.
    bool Enabled(const Preference& p) const;

    // The saver's options that show the controls' current values in a preview drawn into the
    // X window `windowId`, without saving them.
    std::vector<std::string> PreviewArguments(unsigned long windowId) const;

    bool IsOpen() const { return open_; }

    // What the controls show; the dialog writes the user's changes here. The folder is the
    // folder button's title, and only configureSheet_bgpath changes it.
    SETTINGS shown;

  private:
    // Puts `values` into the controls; the folder shown stays the view's current one.
    void ShowValues(const SETTINGS& values);

    SETTINGS& settings_;
    PreferencesStore& store_;
    bool open_ = false;
};
