// The shipped packs with one lump of each damaged, or a FIFO in a pack's place: the scene keeps
// all that is intact (the ground, the cats, their prints), the broken part alone is missing, the
// user reads one line naming the file and the reason, and nothing blocks.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/pack_layout.h"
#include "assets/resfile.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "host/gl_state.h"
#include "hostile_scene.h"
#include "scene/ssmain.h"
#include "tests/support/hang_guard.h"
#include "tests/support/recording_alert.h"
#include "toys/one_toy.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// What the scene showed after a run.
struct Outcome {
    std::string shown;   // cats placed, which wear a coat, whether the toy and prints show
    int groundGrey = 0;  // the ground's red at a corner of the view
    std::vector<std::string> messages;
};

class DamagedPacks : public ShippedSceneTest {
  protected:
    // The shipped packs, copied into a folder of this test.
    std::string CopyOfPacks() {
        const std::string folder = scratch_.Path() + "/packs" + std::to_string(copies_++) + "/";
        std::filesystem::create_directory(folder);
        for (const char* pack : {pack_layout::kScenePack, pack_layout::kCatPack,
                                 pack_layout::kSkinPack, pack_layout::kToyPack}) {
            std::filesystem::copy_file(std::string(VELMORA_RESOURCE_DIR) + "/" + pack,
                                       folder + pack);
        }
        return folder;
    }

    // Overwrites every byte of lump n of `pack` with bytes no reader accepts.
    static void DamageLump(const std::string& pack, int n) {
        RESFILE file;
        ASSERT_TRUE(file.Open(pack.c_str()));
        const RESENTRY entry = file.directory[n];
        file.Close();
        std::string bytes = test_files::ReadText(pack);
        bytes.replace(entry.offset, entry.size, entry.size, '\xee');
        test_files::WriteText(pack, bytes);
    }

    // Runs the scene from `folder` for `frames` frames of 1/35 s on a mid-grey ground.
    static Outcome Run(const std::string& folder, int frames) {
        Outcome out;
        RecordingAlert alerts;
        InitialiseViewGL(kWidth, kHeight);
        std::srand(5);
        SETTINGS settings = DefaultSettings();
        settings.TILEBG = false;
        SSMAIN scene;
        EXPECT_TRUE(scene.Setup(true, kWidth, kHeight, &settings, folder.c_str()));
        const uint8_t grey[4] = {128, 128, 128, 255};
        GLuint ground = 0;
        glGenTextures(1, &ground);
        glBindTexture(GL_TEXTURE_2D, ground);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey);
        scene.groundTexture = ground;
        for (int frame = 0; frame < frames; ++frame) {
            scene.Update(1.0 / 35.0);
            scene.Draw();
        }
        uint8_t corner[4] = {0, 0, 0, 0};
        glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
        out.groundGrey = corner[0];
        const DOGCONTROL& dc = *scene.dogControl;
        out.shown = "cats " + std::to_string(dc.stats.catsPlaced) + ", coats ";
        for (int i = 0; i < 3; ++i) {
            const bool coat = dc.dogs && i < dc.numDogs && dc.dogs[i].materialCount > 0 &&
                              dc.dogs[i].materials[0].texID != 0;
            out.shown += coat ? "+" : "-";
        }
        out.shown += dc.toys && dc.toys[0].displayList != 0 ? ", toy" : ", no toy";
        out.shown += dc.footprintTexture != 0 ? ", prints" : ", blank prints";
        out.shown += dc.stats.footprintsLaid > 0 ? " laid" : " not laid";
        out.messages = alerts.lines;
        scene.Cleanup();
        return out;
    }

    ScratchFolder scratch_;
    int copies_ = 0;
};

// Four seconds of scene: every cat enters and walks, and every broken part has been tried again.
constexpr int kFrames = 140;

// A damaged lump of one pack (or a FIFO in a pack's place, lump -1) costs that part alone, and the
// user reads one line naming the file and the reason; nothing blocks.
TEST_F(DamagedPacks, OneBrokenPartCostsThatPartOnly) {
    const Outcome sound = Run(CopyOfPacks(), kFrames);
    EXPECT_TRUE(sound.messages.empty());
    ASSERT_EQ(sound.shown, "cats 3, coats +++, toy, prints laid");
    ASSERT_GT(sound.groundGrey, 40);
    const struct {
        const char* pack;
        int lump;
        const char* words;
        const char* shown;
    } cases[] = {
        {pack_layout::kScenePack, pack_layout::kFootprintSlot, "picture 8 is damaged",
         "cats 3, coats +++, toy, blank prints laid"},
        {pack_layout::kSkinPack, 1, "coat 1 cannot be decoded",
         "cats 3, coats +-+, toy, prints laid"},
        {pack_layout::kToyPack, 0, "its model is not valid",
         "cats 3, coats +++, no toy, prints laid"},
        // No cats, and no toy without them; named once over all the retries.
        {pack_layout::kCatPack, 0, "its model is not valid",
         "cats 0, coats ---, no toy, prints not laid"},
        {pack_layout::kScenePack, -1, "it is not a regular file",
         "cats 3, coats +++, toy, blank prints laid"},
        {pack_layout::kSkinPack, -1, "it is not a regular file",
         "cats 3, coats ---, toy, prints laid"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pack) + " " + std::to_string(c.lump));
        const std::string packs = CopyOfPacks(), pack = packs + c.pack;
        if (c.lump >= 0) DamageLump(pack, c.lump);
        if (c.lump < 0) {
            std::filesystem::remove(pack);
            ASSERT_EQ(mkfifo(pack.c_str(), 0600), 0);
        }
        HangGuard guard(20);
        const Outcome run = Run(packs, kFrames);
        EXPECT_EQ(run.shown, c.shown);
        EXPECT_EQ(run.groundGrey, sound.groundGrey);
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_NE(run.messages[0].find(pack + ": "), std::string::npos) << run.messages[0];
        EXPECT_NE(run.messages[0].find(c.words), std::string::npos) << run.messages[0];
    }
}

}  // namespace
