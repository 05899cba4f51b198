// Writes XScreenSaver's settings file for the hack, made from the preference table; the build
// runs it, so the file always offers exactly the options the saver accepts.
#include <cstdio>
#include <fstream>

#include "host/xscreensaver_config.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-xscreensaver-config OUTPUT.xml\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << XScreenSaverConfig();
    out.close();
    if (!out) {
        std::fprintf(stderr, "velmora-xscreensaver-config: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
