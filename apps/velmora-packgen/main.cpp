// velmora-packgen OUTDIR        writes the resource packs and the fallback picture into OUTDIR
// velmora-packgen --preview DIR renders review pictures of the cat's clips, skins and toy
#include <cstdio>
#include <cstring>
#include <string>

#include "apps/velmora-packgen/preview.h"
#include "tools/packgen/packs.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: velmora-packgen OUTDIR\n"
                 "       velmora-packgen --preview DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--preview") == 0) {
        std::string error;
        if (!WritePreview(argv[2], &error)) {
            std::fprintf(stderr, "velmora-packgen: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') return Usage();
    std::string error;
    if (!packgen::WriteResources(argv[1], &error)) {
        std::fprintf(stderr, "velmora-packgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
