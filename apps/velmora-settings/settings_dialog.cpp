#include "apps/velmora-settings/settings_dialog.h"

#include <gdk/gdkx.h>

#include "platform/install_paths.h"

namespace {

constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 240;
constexpr guint kPreviewDelayMs = 400;
constexpr guint kPreviewCheckMs = 2000;

// Connects a GTK signal to a member function without a lambda per signal.
template <void (SettingsDialog::*Method)()>
void Forward(GtkWidget*, gpointer self) {
    (static_cast<SettingsDialog*>(self)->*Method)();
}

GtkWidget* SpinButton(int low, int high, int step) {
    GtkWidget* spin = gtk_spin_button_new_with_range(low, high, step);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(spin), TRUE);
    gtk_spin_button_set_update_policy(GTK_SPIN_BUTTON(spin), GTK_UPDATE_IF_VALID);
    gtk_widget_set_hexpand(spin, TRUE);
    return spin;
}

GtkWidget* Choice(std::initializer_list<const char*> items) {
    GtkWidget* combo = gtk_combo_box_text_new();
    for (const char* item : items) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), item);
    gtk_widget_set_hexpand(combo, TRUE);
    return combo;
}

// The README installed beside the program (share/doc/velmora/README.md).
std::string ReadMePath() {
    return DocumentationFolder() + "README.md";
}

}  // namespace

SettingsDialog::SettingsDialog(SettingsSheet& sheet, KeyFileStore& store, PreviewProcess& preview)
    : sheet_(sheet), store_(store), preview_(preview) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), "Velmora Settings");
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(window_), 12);
    g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                         static_cast<SettingsDialog*>(self)->Cancel();
                         return TRUE;
                     }),
                     this);

    // Escape cancels, as in any dialog.
    g_signal_connect(window_, "key-press-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventKey* event, gpointer self) -> gboolean {
                         if (event->keyval != GDK_KEY_Escape) return FALSE;
                         static_cast<SettingsDialog*>(self)->Cancel();
                         return TRUE;
                     }),
                     this);

    GtkWidget* columns = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
    gtk_box_pack_start(GTK_BOX(columns), BuildPreview(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(columns), BuildControls(), TRUE, TRUE, 0);

    message_ = gtk_label_new("");
    gtk_label_set_line_wrap(GTK_LABEL(message_), TRUE);
    gtk_label_set_xalign(GTK_LABEL(message_), 0.0f);
    gtk_label_set_max_width_chars(GTK_LABEL(message_), 70);

    GtkWidget* layout = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
    gtk_box_pack_start(GTK_BOX(layout), columns, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(layout), message_, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(layout), BuildButtons(), FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window_), layout);
}

SettingsDialog::~SettingsDialog() {
    if (previewTimer_) g_source_remove(previewTimer_);
    if (previewCheck_) g_source_remove(previewCheck_);
    preview_.Stop();
    if (window_) gtk_widget_destroy(window_);
}

void SettingsDialog::AddRow(GtkGrid* grid, int row, const char* label, GtkWidget* control) {
    GtkWidget* text = gtk_label_new_with_mnemonic(label);
    gtk_label_set_xalign(GTK_LABEL(text), 0.0f);
    gtk_label_set_mnemonic_widget(GTK_LABEL(text), control);
    gtk_grid_attach(grid, text, 0, row, 1, 1);
    gtk_grid_attach(grid, control, 1, row, 1, 1);
}

// The mnemonics (Alt + the underlined letter) make every control reachable from the keyboard.
GtkWidget* SettingsDialog::BuildControls() {
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    GtkGrid* g = GTK_GRID(grid);

    numDogs_ = SpinButton(kMinCats, kMaxCats, 1);
    dogSize_ = SpinButton(kMinSizePercent, kMaxSizePercent, 5);
    numFootprints_ = SpinButton(kMinFootprints, kMaxFootprints, 50);
    bgType_ = Choice({"Screen as it was when the saver started", "Desktop picture",
                      "Random picture from a folder"});
    bgRes_ = Choice(
        {"Up to 512 pixels (faster)", "Up to 1024 pixels", "Largest the graphics card allows"});
    bgPath_ = gtk_button_new_with_label("");
    gtk_widget_set_hexpand(bgPath_, TRUE);
    tileBG_ = gtk_check_button_new_with_mnemonic(
        "_Tile the ground picture and fade it into the distance");
    mainMonitorOnly_ = gtk_check_button_new_with_mnemonic(
        "Show cats on the _main monitor only (others stay black)");

    AddRow(g, 0, "Number of _cats:", numDogs_);
    AddRow(g, 1, "Cat si_ze (percent):", dogSize_);
    AddRow(g, 2, "_Footprints on the ground:", numFootprints_);
    AddRow(g, 3, "_Background:", bgType_);
    AddRow(g, 4, "Screen capture _resolution:", bgRes_);
    AddRow(g, 5, "_Picture folder:", bgPath_);
    gtk_grid_attach(g, tileBG_, 0, 6, 2, 1);
    gtk_grid_attach(g, mainMonitorOnly_, 0, 7, 2, 1);

    for (GtkWidget* spin : {numDogs_, dogSize_, numFootprints_}) {
        g_signal_connect(spin, "value-changed",
                         G_CALLBACK(Forward<&SettingsDialog::ControlChanged>), this);
    }
    for (GtkWidget* toggle : {tileBG_, mainMonitorOnly_}) {
        g_signal_connect(toggle, "toggled", G_CALLBACK(Forward<&SettingsDialog::ControlChanged>),
                         this);
    }
    for (GtkWidget* combo : {bgType_, bgRes_}) {
        g_signal_connect(combo, "changed", G_CALLBACK(Forward<&SettingsDialog::ControlChanged>),
                         this);
    }
    g_signal_connect(bgPath_, "clicked", G_CALLBACK(Forward<&SettingsDialog::ChooseFolder>), this);
    return grid;
}

GtkWidget* SettingsDialog::BuildPreview() {
    previewArea_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(previewArea_, kPreviewWidth, kPreviewHeight);
    // The saver draws into this window; GTK must not paint over it.
    gtk_widget_set_app_paintable(previewArea_, TRUE);
    g_signal_connect(previewArea_, "draw",
                     G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer) { return TRUE; }), nullptr);
    g_signal_connect(previewArea_, "realize", G_CALLBACK(Forward<&SettingsDialog::SchedulePreview>),
                     this);

    previewNote_ =
        gtk_label_new("No preview: the velmora program was not found beside velmora-settings.");
    gtk_label_set_line_wrap(GTK_LABEL(previewNote_), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(previewNote_), 30);
    gtk_label_set_justify(GTK_LABEL(previewNote_), GTK_JUSTIFY_CENTER);
    gtk_widget_set_size_request(previewNote_, kPreviewWidth, kPreviewHeight);

    previewStack_ = gtk_stack_new();
    gtk_stack_add_named(GTK_STACK(previewStack_), previewArea_, "preview");
    gtk_stack_add_named(GTK_STACK(previewStack_), previewNote_, "note");

    GtkWidget* frame = gtk_frame_new("Preview");
    gtk_container_add(GTK_CONTAINER(frame), previewStack_);
    gtk_widget_set_valign(frame, GTK_ALIGN_START);
    return frame;
}

GtkWidget* SettingsDialog::BuildButtons() {
    GtkWidget* readMe = gtk_button_new_with_mnemonic("_Read Me");
    GtkWidget* defaults = gtk_button_new_with_mnemonic("_Defaults");
    GtkWidget* cancel = gtk_button_new_with_mnemonic("C_ancel");
    GtkWidget* save = gtk_button_new_with_mnemonic("_Save");
    g_signal_connect(readMe, "clicked", G_CALLBACK(Forward<&SettingsDialog::OpenReadMe>), this);
    g_signal_connect(defaults, "clicked", G_CALLBACK(Forward<&SettingsDialog::Defaults>), this);
    g_signal_connect(cancel, "clicked", G_CALLBACK(Forward<&SettingsDialog::Cancel>), this);
    g_signal_connect(save, "clicked", G_CALLBACK(Forward<&SettingsDialog::Save>), this);
    gtk_widget_set_can_default(save, TRUE);

    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    // The installed README: shown only where it is installed (not in a build tree).
    if (g_file_test(ReadMePath().c_str(), G_FILE_TEST_IS_REGULAR)) {
        gtk_box_pack_start(GTK_BOX(row), readMe, FALSE, FALSE, 0);
    } else {
        g_object_ref_sink(readMe);
        g_object_unref(readMe);
    }
    gtk_box_pack_end(GTK_BOX(row), save, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(row), cancel, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(row), defaults, FALSE, FALSE, 0);
    return row;
}

void SettingsDialog::ShowSheet() {
    filling_ = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(mainMonitorOnly_), sheet_.oMainMonitorOnly);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(numDogs_), sheet_.oNumDogs);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(dogSize_), sheet_.oDogSize);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(numFootprints_), sheet_.oNumFootprints);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(tileBG_), sheet_.oTileBG);
    gtk_combo_box_set_active(GTK_COMBO_BOX(bgType_), sheet_.oBGType);
    gtk_combo_box_set_active(GTK_COMBO_BOX(bgRes_), sheet_.oBGRes);
    ShowFolder();
    filling_ = false;
    // The spin buttons hold values inside their ranges; the sheet sees the same.
    ReadControls();
    ShowStates();
}

// The button shows the folder; the sheet, not the label, holds the path that is saved.
void SettingsDialog::ShowFolder() {
    const char* title = sheet_.oBGPath.empty() ? "(choose a folder)" : sheet_.oBGPath.c_str();
    gtk_button_set_label(GTK_BUTTON(bgPath_), title);
    // A long path is shortened in the middle on screen, and shown whole in the tooltip.
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(bgPath_));
    if (GTK_IS_LABEL(label)) {
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
        gtk_label_set_max_width_chars(GTK_LABEL(label), 36);
    }
    gtk_widget_set_tooltip_text(bgPath_, sheet_.oBGPath.c_str());
}

void SettingsDialog::ReadControls() {
    sheet_.oMainMonitorOnly = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(mainMonitorOnly_));
    sheet_.oNumDogs = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(numDogs_));
    sheet_.oDogSize = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(dogSize_));
    sheet_.oNumFootprints = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(numFootprints_));
    sheet_.oTileBG = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(tileBG_));
    sheet_.oBGRes = std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(bgRes_)));
    sheet_.configureSheet_update(std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(bgType_))));
}

void SettingsDialog::ShowStates() {
    gtk_widget_set_sensitive(bgPath_, sheet_.oBGPathEnabled);
    gtk_widget_set_sensitive(bgRes_, sheet_.oBGResEnabled);
}

void SettingsDialog::ControlChanged() {
    if (filling_) return;
    ReadControls();
    ShowStates();
    SchedulePreview();
}

void SettingsDialog::ChooseFolder() {
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        kFolderChooserTitle, GTK_WINDOW(window_), GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel",
        GTK_RESPONSE_CANCEL, "_Select", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_default_size(GTK_WINDOW(chooser), 640, 420);
    GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
    gtk_file_chooser_set_select_multiple(files, FALSE);
    gtk_file_chooser_set_current_folder(files, sheet_.oBGPath.c_str());
    GtkFileFilter* pictures = gtk_file_filter_new();
    gtk_file_filter_set_name(pictures, "Pictures (jpg, gif, png)");
    for (const char* pattern : {"*.jpg", "*.gif", "*.png"}) {
        gtk_file_filter_add_pattern(pictures, pattern);
    }
    gtk_file_chooser_add_filter(files, pictures);

    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* folder = gtk_file_chooser_get_filename(files);
        if (folder && sheet_.configureSheet_bgpath(folder)) {
            ShowFolder();
            SchedulePreview();
        } else if (folder) {
            ShowMessage("That folder's path is too long to keep; the folder was not changed.",
                        true);
        }
        g_free(folder);
    }
    gtk_widget_destroy(chooser);
}

void SettingsDialog::Save() {
    // A number typed but not yet confirmed (the field still has focus when Save is pressed
    // from the keyboard) counts as the user's choice.
    for (GtkWidget* spin : {numDogs_, dogSize_, numFootprints_}) {
        gtk_spin_button_update(GTK_SPIN_BUTTON(spin));
    }
    ReadControls();
    if (sheet_.configureSheet_save()) {
        gtk_main_quit();
        return;
    }
    // The change stays in the dialog, so nothing is lost: the user may fix the cause and retry.
    const char* remedy = store_.State() == KeyFileStore::FileState::kUnreadable
                             ? "Make the file readable or move it away, then Save again."
                             : "Free some space or fix the folder's permissions, then Save again.";
    ShowMessage("The settings could not be saved (" + store_.Error() + "). " + remedy, true);
}

void SettingsDialog::Cancel() {
    sheet_.configureSheet_cancel();
    gtk_main_quit();
}

void SettingsDialog::Defaults() {
    sheet_.configureSheet_defaults();
    ShowSheet();
    SchedulePreview();
}

void SettingsDialog::OpenReadMe() {
    gchar* uri = g_filename_to_uri(ReadMePath().c_str(), nullptr, nullptr);
    GError* error = nullptr;
    if (uri == nullptr || !g_app_info_launch_default_for_uri(uri, nullptr, &error)) {
        ShowMessage("The README " + ReadMePath() + " could not be opened: " +
                        (error ? error->message : "no program is set up to show it"),
                    true);
    }
    g_clear_error(&error);
    g_free(uri);
}

void SettingsDialog::ShowMessage(const std::string& text, bool error) {
    previewMessage_ = false;
    gchar* escaped = g_markup_escape_text(text.c_str(), -1);
    const std::string markup =
        error ? std::string("<span foreground=\"#b00000\">") + escaped + "</span>" : escaped;
    gtk_label_set_markup(GTK_LABEL(message_), markup.c_str());
    g_free(escaped);
}

void SettingsDialog::SchedulePreview() {
    if (previewTimer_) g_source_remove(previewTimer_);
    previewTimer_ = g_timeout_add(kPreviewDelayMs, &SettingsDialog::PreviewTimeout, this);
}

gboolean SettingsDialog::PreviewTimeout(gpointer self) {
    auto* dialog = static_cast<SettingsDialog*>(self);
    dialog->previewTimer_ = 0;
    dialog->StartPreview();
    return G_SOURCE_REMOVE;
}

void SettingsDialog::StartPreview() {
    GdkWindow* area = gtk_widget_get_window(previewArea_);
    if (!preview_.Available() || !area || !GDK_IS_X11_WINDOW(area)) {
        preview_.Stop();
        gtk_stack_set_visible_child(GTK_STACK(previewStack_), previewNote_);
        return;
    }
    // The saver needs an X window of its own to draw into.
    if (!gdk_window_ensure_native(area)) return;
    gdk_display_flush(gdk_window_get_display(area));
    const unsigned long id = GDK_WINDOW_XID(area);
    if (!preview_.Restart(sheet_.PreviewArguments(id))) {
        ShowMessage("The preview could not be started: " + preview_.Error(), true);
        return;
    }
    // A new preview replaces what was said about the last one.
    if (previewMessage_) ShowMessage("", false);
    if (previewCheck_) g_source_remove(previewCheck_);
    previewCheck_ = g_timeout_add(kPreviewCheckMs, &SettingsDialog::PreviewCheck, this);
}

gboolean SettingsDialog::PreviewCheck(gpointer self) {
    auto* dialog = static_cast<SettingsDialog*>(self);
    dialog->previewCheck_ = 0;
    if (!dialog->preview_.Running() && !dialog->preview_.ExitStatus().empty()) {
        dialog->ShowMessage("The preview ended (" + dialog->preview_.ExitStatus() +
                                "); its messages are on the standard error of velmora-settings.",
                            true);
        dialog->previewMessage_ = true;
    }
    return G_SOURCE_REMOVE;
}

void SettingsDialog::Run() {
    sheet_.configureSheet();
    ShowSheet();
    // What was wrong with the settings file, so that the values shown are no surprise.
    if (!store_.Problem().empty()) ShowMessage("Note: " + store_.Problem() + ".", true);
    gtk_widget_show_all(window_);
    gtk_main();
}
