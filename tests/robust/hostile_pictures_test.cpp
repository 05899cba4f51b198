// Picture folders as users have them: missing, not a folder, crowded, holding damaged or hostile
// files. The ground always gets a picture (the shipped one when the folder yields none), the user
// reads one line saying why, and the scene runs on it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/pack_layout.h"
#include "assets/texture.h"
#include "host/background_source.h"
#include "hostile_scene.h"
#include "platform/image_encoder.h"
#include "platform/pixbuf_picture_decoder.h"

namespace {

using test_files::WriteBytes;

const std::string kFallback =
    std::string(VELMORA_RESOURCE_DIR) + "/" + pack_layout::kFallbackPicture;

class HostilePictures : public ShippedSceneTest {
  protected:
    static void SetUpTestSuite() {
        ShippedSceneTest::SetUpTestSuite();
        SetImageDecoder(&pictures_);  // pictures from outside go through the desktop's decoder
    }

    // Loads the ground picture of source 2 from `folder` as the view does, keeping what standard
    // error said, and runs the scene on it when asked to; the picture's size.
    std::pair<uint32_t, uint32_t> LoadFrom(const std::string& folder, std::string& said, bool run) {
        SETTINGS settings = DefaultSettings();
        settings.BGTYPE = 2;
        EXPECT_TRUE(SetBackgroundFolder(settings, folder));
        Texture ground;
        GroundPictureSources sources;
        sources.fallbackPath = kFallback;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(LoadGroundPicture(settings, sources, ground));
        said = testing::internal::GetCapturedStderr();
        if (run) {
            const SceneRun scene = RunScene(settings, ground.texID, 100);
            ground.texID = 0;  // the scene owned it
            EXPECT_TRUE(scene.groundIsTexture);
            EXPECT_EQ(scene.cats, 3);
        }
        return {ground.width, ground.height};
    }

    static inline PixbufPictureDecoder pictures_;
    ScratchFolder scratch_;
};

// Each gives the shipped picture, one line on standard error naming the trouble, and a sound scene.
TEST_F(HostilePictures, FoldersWithoutAPictureToShowGiveTheShippedPicture) {
    DecodedImage fallback;
    std::string said;
    ASSERT_TRUE(pictures_.DecodeFile(kFallback.c_str(), fallback, said)) << said;
    const std::vector<uint8_t> noFrames = {'G',  'I', 'F', '8', '9', 'a', 1, 0, 1, 0,
                                           0x80, 0,   0,   255, 255, 255, 0, 0, 0, 0x3b};
    std::filesystem::create_directories(scratch_ / "named/x.jpg");
    std::filesystem::create_directory(scratch_ / "gif");
    WriteBytes(scratch_ / "gif/no-frames.gif", noFrames);
    // Other folders and files that are no pictures are the picture loader's and decoder's own
    // tests' matter.
    const std::pair<std::string, std::string> cases[] = {
        {"missing", "does not exist"},
        {"named", "x.jpg: is a folder, not a file"},  // its only candidate is a folder
        {"gif", "no-frames.gif"}};
    for (const auto& [folder, mention] : cases) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(LoadFrom(scratch_ / folder, said, folder == "missing"),
                  std::make_pair(uint32_t(fallback.width), uint32_t(fallback.height)));
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(said.rfind("velmora: ", 0), 0u) << said;
        EXPECT_NE(said.find(mention), std::string::npos) << said;
        EXPECT_NE(said.find("shipped picture"), std::string::npos) << said;
    }
}

TEST_F(HostilePictures, AFolderOfThousandsOfFilesFindsItsOnePicture) {
    const std::string folder = scratch_.File("crowded");
    std::filesystem::create_directory(folder);
    for (int i = 0; i < 1000; ++i) WriteBytes(folder + "/note-" + std::to_string(i) + ".txt", {});
    const uint8_t pixels[6 * 4 * 3] = {200};
    WriteBytes(folder + "/the-one.png", EncodePng(pixels, 6, 4, 3));
    std::string said;
    EXPECT_EQ(LoadFrom(folder, said, false), std::make_pair(6u, 4u));
    EXPECT_EQ(said, "");
}

}  // namespace
