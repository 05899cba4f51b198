// The settings window: GTK controls over the sheet's logic, a live preview of the saver and the
// Save, Cancel, Defaults and Read Me buttons.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "apps/velmora-settings/preview_process.h"
#include "host/settings_sheet.h"
#include "platform/keyfile_store.h"

class SettingsDialog {
  public:
    SettingsDialog(SettingsSheet& sheet, KeyFileStore& store, PreviewProcess& preview);
    ~SettingsDialog();
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Shows the window and runs until it is saved, cancelled or closed.
    void Run();

  private:
    GtkWidget* BuildControls();
    GtkWidget* BuildPreview();
    GtkWidget* BuildButtons();
    void AddRow(GtkGrid* grid, int row, const char* label, GtkWidget* control);

    // Controls shown from the sheet's values, and the user's changes copied back.
    void ShowSheet();
    void ReadControls();
    void ShowStates();
    void ShowFolder();
    void ControlChanged();

    void ChooseFolder();
    void Save();
    void Cancel();
    void Defaults();
    void OpenReadMe();
    void ShowMessage(const std::string& text, bool error);

    // The preview restarts shortly after the last change, not at every step of a spin button.
    void SchedulePreview();
    void StartPreview();
    static gboolean PreviewTimeout(gpointer self);
    // Tells the user when the saver ended soon after it was started (bad resources, no GL).
    static gboolean PreviewCheck(gpointer self);

    SettingsSheet& sheet_;
    KeyFileStore& store_;
    PreviewProcess& preview_;
    bool filling_ = false;  // set while controls are filled, so their signals are ignored
    guint previewTimer_ = 0;
    guint previewCheck_ = 0;
    bool previewMessage_ = false;  // the message shown is about the preview

    GtkWidget* window_ = nullptr;
    GtkWidget* mainMonitorOnly_ = nullptr;
    GtkWidget* numDogs_ = nullptr;
    GtkWidget* dogSize_ = nullptr;
    GtkWidget* numFootprints_ = nullptr;
    GtkWidget* tileBG_ = nullptr;
    GtkWidget* bgType_ = nullptr;
    GtkWidget* bgRes_ = nullptr;
    GtkWidget* bgPath_ = nullptr;
    GtkWidget* previewStack_ = nullptr;
    GtkWidget* previewArea_ = nullptr;
    GtkWidget* previewNote_ = nullptr;
    GtkWidget* message_ = nullptr;
};
