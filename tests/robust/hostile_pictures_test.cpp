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

#include "assets/texture.h"
#include "host/background_source.h"
#include "hostile_scene.h"
#include "platform/image_encoder.h"
#include "platform/pixbuf_picture_decoder.h"

namespace {

using test_files::WriteBytes;

std::vector<uint8_t> SmallJpeg() {
    std::vector<uint8_t> pixels(32 * 24 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7);
    return EncodeJpeg(pixels.data(), 32, 24, 3, 80);
}

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
        sources.fallbackPath = FallbackPicture();
        testing::internal::CaptureStderr();
        EXPECT_TRUE(LoadGroundPicture(settings, sources, ground));
        said = testing::internal::GetCapturedStderr();
        if (run) {
            const SceneRun scene = RunScene(settings, ground.texID, 100);
            ground.texID = 0;  // the scene owned it
            EXPECT_TRUE(scene.setUp);
            EXPECT_TRUE(scene.groundIsTexture);
            EXPECT_EQ(scene.cats, 3);
            for (const std::string& problem : scene.problems) ADD_FAILURE() << problem;
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
    ASSERT_TRUE(pictures_.DecodeFile(FallbackPicture().c_str(), fallback, said)) << said;
    std::vector<uint8_t> truncated = SmallJpeg();
    truncated.resize(truncated.size() / 2);
    const std::vector<uint8_t> noFrames = {'G',  'I', 'F', '8', '9', 'a', 1, 0, 1, 0,
                                           0x80, 0,   0,   255, 255, 255, 0, 0, 0, 0x3b};
    WriteBytes(scratch_ / "a-file", {'h', 'i'});
    std::filesystem::create_directory(scratch_ / "empty");
    std::filesystem::create_directories(scratch_ / "named/x.jpg");
    for (const auto& [name, bytes] : {std::pair<const char*, std::vector<uint8_t>>{"empty.jpg", {}},
                                      {"cut.jpg", truncated},
                                      {"no-frames.gif", noFrames}}) {
        std::filesystem::create_directory(scratch_ / name + "-only");
        WriteBytes(scratch_ / name + "-only/" + name, bytes);
    }
    const std::pair<std::string, std::string> cases[] = {
        {"missing", "does not exist"},
        {"a-file", "is not a folder"},
        {"empty", "holds no .jpg, .png or .gif"},
        {"named", "x.jpg: is a folder, not a file"},  // its only candidate is a folder
        {"empty.jpg-only", "empty.jpg"},
        {"cut.jpg-only", "cut.jpg"},
        {"no-frames.gif-only", "no-frames.gif"}};
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
