// The shipped packs with one lump of each damaged, or a FIFO in a pack's place: the scene keeps
// all that is intact (the ground, the cats, their prints), the broken part alone is missing, the
// user reads one line naming the file and the reason, and nothing blocks.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "assets/pack_layout.h"
#include "assets/resfile.h"
#include "hostile_scene.h"
#include "tests/support/hang_guard.h"

namespace {

class DamagedPacks : public ShippedSceneTest {
  protected:
    // The shipped resources, copied into a folder of this test.
    std::string CopyOfPacks() {
        const std::string folder = scratch_.Path() + "/packs" + std::to_string(copies_++) + "/";
        std::filesystem::copy(VELMORA_RESOURCE_DIR, folder);
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

    // Four seconds of scene from `folder` on a mid-grey ground: every cat enters and walks, and
    // every broken part has been tried again.
    static SceneRun Run(const std::string& folder) {
        SETTINGS settings = DefaultSettings();
        settings.TILEBG = false;
        const uint8_t grey[4] = {128, 128, 128, 255};
        GLuint ground = 0;
        glGenTextures(1, &ground);
        glBindTexture(GL_TEXTURE_2D, ground);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey);
        return RunScene(settings, ground, 140, folder);
    }

    ScratchFolder scratch_;
    int copies_ = 0;
};

// A damaged lump of one pack (or a FIFO in a pack's place, lump -1) costs that part alone, and the
// user reads one line naming the file and the reason; nothing blocks.
TEST_F(DamagedPacks, OneBrokenPartCostsThatPartOnly) {
    const SceneRun sound = Run(CopyOfPacks());
    EXPECT_TRUE(sound.messages.empty());
    ASSERT_EQ(sound.shown, "cats 3, coats +++, toy, prints laid");
    ASSERT_GT(sound.cornerRed, 40);
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
        const SceneRun run = Run(packs);
        EXPECT_EQ(run.shown, c.shown);
        EXPECT_EQ(run.cornerRed, sound.cornerRed);
        ASSERT_EQ(run.messages.size(), 1u);
        EXPECT_NE(run.messages[0].find(pack + ": "), std::string::npos) << run.messages[0];
        EXPECT_NE(run.messages[0].find(c.words), std::string::npos) << run.messages[0];
    }
}

}  // namespace
