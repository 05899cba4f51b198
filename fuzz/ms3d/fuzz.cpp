// Feeds arbitrary bytes to the MS3D loader as lump 1 of a resource pack, between two other lumps,
// the way the cat and toy set-up read their models. Checks what must hold for any input: the
// loader never reads beyond its lump; a refused model leaves an empty record; an accepted one
// writes back to exactly the bytes it was read from and survives the whole set-up and a few
// frames of playback and skinning.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "model/animation_template.h"
#include "model/ms3d.h"
#include "model/ms3d_layout.h"
#include "model/ms3d_writer.h"
#include "model/one_model.h"
#include "tests/support/recording_alert.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool Empty(const MS3D& m) {
    return m.vertices.empty() && m.triangles.empty() && m.groups.empty() && m.materials.empty() &&
           m.joints.empty() && m.vertexCount == 0 && m.triangleCount == 0 && m.groupCount == 0 &&
           m.materialCount == 0 && m.jointCount == 0 && m.fps == 0.0f;
}

void Exercise(MS3D* model) {
    model->Scale(0.5f);
    model->InitialSetup();
    ANIMATIONTEMPLATE animTemplate;
    Require(animTemplate.Setup(model));
    ONEMODEL instance;
    unsigned long texture = 0;
    if (!instance.Setup(&animTemplate, model, &texture)) return;  // beyond the instance's limits
    ONEMODEL copy;
    Require(copy.CopyFrom(instance));
    const double lastFrame = animTemplate.totalFrames;
    copy.SetAnimation(0, lastFrame, 1000.0, true, false);
    for (int frame = 0; frame < 6; ++frame) {
        if (frame == 3) copy.SetAnimation(lastFrame / 2, lastFrame, 1000.0, false, true);
        copy.RevertPoints(copy.joints.get());
        copy.Animate(0.1);
        copy.UpdateSkeleton();
        copy.UpdatePoints(copy.joints.get());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/velmora_ms3d_fuzz_" + std::to_string(getpid()) + ".vlm";
    RecordingAlert quiet;
    const std::vector<uint8_t> lump(data, data + size);
    PackWriter pack;
    pack.AddLump(2, 0, {0x4d, 0x53});
    pack.AddLump(2, 0, lump);
    pack.AddLump(2, 0, std::vector<uint8_t>(64, 0x7f));  // more bytes the loader must not touch
    if (!pack.WriteFile(path)) return 0;

    RESFILE file;
    Require(file.Open(path.c_str()));
    Require(file.SeekLump(1));
    const uint32_t start = file.directory[1].offset;
    MS3D model;
    const bool loaded = model.LoadFromFStream(file.stream, file.LumpSize(1));
    file.stream.clear();
    const std::streamoff consumed = std::streamoff(file.stream.tellg()) - start;
    Require(consumed >= 0 && consumed <= std::streamoff(size));
    if (!loaded) {
        Require(Empty(model));
        return 0;
    }
    std::vector<uint8_t> written;
    Require(WriteMS3D(model, &written, int32_t(ms3d_layout::LoadU32(&lump[10]))));
    Require(written.size() == size_t(consumed));
    std::vector<uint8_t> read(lump.begin(), lump.begin() + consumed);
    // The loader drops the current-time field, which comes between fps and the frame count.
    size_t timing = written.size() - 2 - 4 - 4;
    for (const MS3DJOINT& j : model.joints)
        timing -=
            kMS3DJointFixedSize + kMS3DKeySize * (j.rotationKeys.size() + j.translationKeys.size());
    std::memset(&read[timing], 0, 4);
    Require(written == read);
    Exercise(&model);
    return 0;
}
