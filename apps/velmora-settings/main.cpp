// velmora-settings: edits the saver's settings in the user's preferences file, with a live
// preview of the saver.
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <cstdio>
#include <cstring>

#include "apps/velmora-settings/preview_process.h"
#include "apps/velmora-settings/settings_dialog.h"
#include "host/settings.h"
#include "host/settings_sheet.h"
#include "platform/keyfile_store.h"

namespace {

constexpr const char* kUsage =
    "Usage: velmora-settings [GTK OPTION]...\n"
    "Edits the settings of the Velmora screen saver, with a live preview.\n"
    "\n"
    "The settings are kept in $XDG_CONFIG_HOME/velmora/VelmoraSaver.ini (normally\n"
    "~/.config/velmora/VelmoraSaver.ini) and apply to every run of velmora, in a window,\n"
    "full screen or under XScreenSaver, except for the values a run is given on its command\n"
    "line (XScreenSaver's own settings for Velmora give those). Save stores the values\n"
    "shown; Cancel, Escape or closing the window stores nothing.\n"
    "\n"
    "  --help, -h       show this text\n"
    "  --display=NAME   the X display to use (one of GTK's own options)\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "velmora-settings: cannot open the display\n");
        return 1;
    }
    // GTK took its own options; anything left is not ours either.
    if (argc > 1) {
        std::fprintf(stderr,
                     "velmora-settings: unknown argument \"%s\"\nTry 'velmora-settings --help'.\n",
                     argv[1]);
        return 2;
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
