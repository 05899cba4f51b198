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
    int catsPlaced = 0;
    long footprints = 0;
    unsigned coats[3] = {0, 0, 0};  // the coat each cat wears, by cat
    bool toyDrawn = false;
    unsigned footprintTexture = 0;
    int groundGrey = 0;  // the ground's red at a corner of the view
    std::vector<std::string> messages;
};

class DamagedPacks : public ShippedSceneTest {
  protected:
    // The shipped packs, copied into a folder of this test.
    std::string CopyOfPacks() {
        const std::string folder = scratch_.Path() + "/packs" + std::to_string(copies_++) + "/";
        std::filesystem::create_directory(folder);
        for (const char* pack : {"pebble.courtyards", "c.vlm", "ct.vlm", "t.vlm"}) {
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
        out.catsPlaced = int(dc.stats.catsPlaced);
        out.footprints = long(dc.stats.footprintsLaid);
        for (int i = 0; dc.dogs && i < dc.numDogs && i < 3; ++i) {
            out.coats[i] = dc.dogs[i].materialCount > 0 ? dc.dogs[i].materials[0].texID : 0;
        }
        out.toyDrawn = dc.toys && dc.toys[0].displayList != 0;
        out.footprintTexture = dc.footprintTexture;
        out.messages = alerts.lines;
        scene.Cleanup();
        return out;
    }

    ScratchFolder scratch_;
    int copies_ = 0;
};

void ExpectOneMessage(const Outcome& run, const std::string& file, const std::string& words) {
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find(file + ": "), std::string::npos) << run.messages[0];
    EXPECT_NE(run.messages[0].find(words), std::string::npos) << run.messages[0];
}

// Four seconds of scene: every cat enters and walks, and every broken part has been tried again.
constexpr int kFrames = 140;

TEST_F(DamagedPacks, OneBrokenPartCostsThatPartOnly) {
    const Outcome sound = Run(CopyOfPacks(), kFrames);
    ASSERT_TRUE(sound.messages.empty()) << sound.messages[0];
    ASSERT_EQ(sound.catsPlaced, 3);
    ASSERT_GT(sound.groundGrey, 40);
    for (const unsigned coat : sound.coats) EXPECT_NE(coat, 0u);

    // The footprint picture of the scene pack: blank prints, all the rest as before.
    std::string packs = CopyOfPacks();
    DamageLump(packs + "pebble.courtyards", SSMAIN::kFootprintTexture);
    Outcome run = Run(packs, kFrames);
    ExpectOneMessage(run, packs + "pebble.courtyards", "picture 8 is damaged");
    EXPECT_EQ(run.footprintTexture, 0u);
    EXPECT_EQ(run.catsPlaced, 3);
    EXPECT_GT(run.footprints, 0);
    EXPECT_EQ(run.groundGrey, sound.groundGrey);
    EXPECT_TRUE(run.toyDrawn);

    // Coat 1 of the skin pack: the cat wearing it is blank, the others keep theirs.
    packs = CopyOfPacks();
    DamageLump(packs + "ct.vlm", 1);
    run = Run(packs, kFrames);
    ExpectOneMessage(run, packs + "ct.vlm", "coat 1 cannot be decoded");
    EXPECT_EQ(run.catsPlaced, 3);
    EXPECT_NE(run.coats[0], 0u);
    EXPECT_EQ(run.coats[1], 0u);
    EXPECT_NE(run.coats[2], 0u);

    // The toy's model: no toy to draw, the cats as before.
    packs = CopyOfPacks();
    DamageLump(packs + "t.vlm", 0);
    run = Run(packs, kFrames);
    ExpectOneMessage(run, packs + "t.vlm", "its model is not valid");
    EXPECT_FALSE(run.toyDrawn);
    EXPECT_EQ(run.catsPlaced, 3);

    // The cat model: no cats, named once over all the retries; the ground still shows.
    packs = CopyOfPacks();
    DamageLump(packs + "c.vlm", 0);
    run = Run(packs, kFrames);
    ExpectOneMessage(run, packs + "c.vlm", "its model is not valid");
    EXPECT_EQ(run.catsPlaced, 0);
    EXPECT_EQ(run.groundGrey, sound.groundGrey);
}

TEST_F(DamagedPacks, AFifoInAPacksPlaceIsRefusedWithoutBlocking) {
    for (const char* name : {"pebble.courtyards", "ct.vlm"}) {
        SCOPED_TRACE(name);
        const std::string packs = CopyOfPacks();
        std::filesystem::remove(packs + name);
        ASSERT_EQ(mkfifo((packs + name).c_str(), 0600), 0);
        HangGuard guard(20);
        const Outcome run = Run(packs, kFrames);
        ExpectOneMessage(run, packs + name, "it is not a regular file");
        EXPECT_EQ(run.catsPlaced, 3);
        EXPECT_GT(run.groundGrey, 40);
    }
}

}  // namespace
