#include "tests/packgen/generated_art.h"

#include <stdlib.h>

#include <cstdlib>
#include <memory>

#include "assets/resfile.h"

namespace generated_art {

std::string RunGenerator() {
    char folder[] = "/tmp/velmora-packgen-test-XXXXXX";
    if (!mkdtemp(folder)) return "";
    const std::string command =
        std::string(VELMORA_BIN_DIR) + "/velmora-packgen " + folder + " 2>&1";
    return std::system(command.c_str()) == 0 ? folder : "";
}

const std::string& Folder() {
    static const std::string folder = VELMORA_RESOURCE_DIR;
    return folder;
}

namespace {

bool Load(Cat& cat) {
    RESFILE pack;
    const std::string path = Folder() + "/c.vlm";
    if (!pack.Open(path.c_str()) || !pack.SeekLump(0)) return false;
    if (!cat.model.LoadFromFStream(pack.stream, pack.directory[0].size)) return false;
    pack.SeekLump(0);
    if (!cat.bind.LoadFromFStream(pack.stream, pack.directory[0].size)) return false;
    cat.model.Scale(0.25f);
    cat.bind.Scale(0.25f);
    cat.model.InitialSetup();
    unsigned long texture = 0;
    return cat.animation.Setup(&cat.model) &&
           cat.instance.Setup(&cat.animation, &cat.model, &texture);
}

VECTOR3D World(const MATRIX& m) {
    const VECTOR3D p = MatrixPointMultiply(m, VECTOR3D{});
    return MakePoint(-p.x, p.y, -p.z);
}

}  // namespace

Cat* LoadedCat() {
    static std::unique_ptr<Cat> cat = [] {
        auto c = std::make_unique<Cat>();
        if (!Load(*c)) c.reset();
        return c;
    }();
    return cat.get();
}

std::array<VECTOR3D, 4> Paws(const ONEMODEL& cat) {
    std::array<VECTOR3D, 4> paws;
    for (int i = 0; i < 4; ++i) paws[i] = World(cat.joints[dogFeet[0][i]].absolute);
    return paws;
}

std::vector<VECTOR3D> PoseAt(ONEMODEL& cat, int clip, double seconds) {
    cat.SetAnimation(dogAnims[clip].start, dogAnims[clip].end, 1000.0, false, false);
    cat.Animate(seconds);
    cat.UpdateSkeleton();
    std::vector<VECTOR3D> origins;
    for (int j = 0; j < cat.jointCount; ++j) origins.push_back(World(cat.joints[j].absolute));
    return origins;
}

double ClipSeconds(int clip) {
    return double(dogAnims[clip].end - dogAnims[clip].start) / kDogAnimFps;
}

}  // namespace generated_art
