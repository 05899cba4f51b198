// velmora-settings: edits the saver's settings in the user's preferences file, with a live
// preview of the saver.
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <cstdio>

#include "apps/velmora-settings/preview_process.h"
#include "apps/velmora-settings/settings_dialog.h"
#include "host/settings.h"
#include "host/settings_sheet.h"
#include "platform/keyfile_store.h"

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "velmora-settings: cannot open the display\n");
        return 1;
    }
    KeyFileStore store;
    SETTINGS settings;
    bool mainMonitorOnly = false;
    // Nothing is written before Save: Cancel leaves the file exactly as it was.
    LoadSettings(store, settings, mainMonitorOnly, StoreDefaults::kWithNextSave);

    // Ended from outside like a Cancel, so that the preview is stopped on the way out.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        g_unix_signal_add(
            signal,
            +[](gpointer) -> gboolean {
                gtk_main_quit();
                return G_SOURCE_CONTINUE;
            },
            nullptr);
    }

    SettingsSheet sheet(settings, mainMonitorOnly, store);
    PreviewProcess preview(SaverProgramPath());
    {
        SettingsDialog dialog(sheet, store, preview);
        dialog.Run();
    }
    return 0;
}
