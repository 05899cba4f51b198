#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "assets/background_pictures.h"
#include "platform/headless_gl.h"
#include "tests/host_view/picture_fakes.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// A picture whose pixel at (row, column) tells where it came from: the first byte holds the row
// modulo 256, the third the column (with the row / 256 and column / 256 in the second).
DecodedImage CodedPicture(int width, int height, int channels) {
    DecodedImage image{width, height, channels, width * channels, {}};
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const uint8_t pixel[4] = {uint8_t(row), uint8_t(row / 256 * 16 + column / 256),
                                      uint8_t(column), 7};
            image.pixels.insert(image.pixels.end(), pixel, pixel + channels);
        }
    }
    return image;
}

class PictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(16, 16)) << gl_.Error();
        SetImageDecoder(&decoder_);
    }
    void TearDown() override { SetImageDecoder(nullptr); }
    void Touch(const std::string& name) { test_files::WriteText(folder_ / name, "x"); }
    // Loads `image` as the decoder's picture; the texels of its texture, always 512 x 512 RGBA.
    std::vector<uint8_t> Texels(const DecodedImage& image) {
        decoder_.image = image;
        Texture tex;
        EXPECT_TRUE(loadPicFile("picture.png", &tex));
        EXPECT_EQ(tex.imageData, nullptr);
        std::vector<uint8_t> texels;
        EXPECT_EQ(TextureSize(tex.texID, &texels), std::make_pair(512, 512));
        texels.resize(512 * 512 * 4);  // read safely even from a texture of the wrong size
        return texels;
    }

    HeadlessGL gl_;
    FakeDecoder decoder_;
    test_files::ScratchFolder folder_;
};

// Texel row 0 is the bottom; each texel comes from the nearest picture pixel, never from beyond it
// or from a row's padding; the fourth byte is opaque whatever the picture's alpha; grey is grey.
TEST_F(PictureTest, PicturesAreResampledTo512BottomUpByNearestNeighbour) {
    DecodedImage padded = CodedPicture(2, 2, 3);
    padded.bytesPerRow = 8;
    padded.pixels = {10, 0, 0, 10, 0, 0, 99, 99, 20, 0, 0, 20, 0, 0, 99, 99};
    const DecodedImage big = CodedPicture(1024, 768, 3), small = CodedPicture(3, 2, 4),
                       grey = CodedPicture(4, 4, 2);
    // {picture, texel row, texel column, texel}
    const std::tuple<const DecodedImage*, int, int, std::vector<uint8_t>> cases[] = {
        // From row trunc(511 * 1.5) = 766 of a 1024 x 768 picture.
        {&big, 0, 0, {766 % 256, 2 * 16, 0, 255}},
        {&big, 511, 511, {0, 3, 1022 % 256, 255}},
        {&small, 0, 0, {1, 0, 0, 255}},
        {&small, 511, 511, {0, 0, 2, 255}},
        {&padded, 0, 0, {20, 0, 0, 255}},
        {&grey, 0, 0, {3, 3, 3, 255}},
    };
    const DecodedImage* loaded = nullptr;
    std::vector<uint8_t> texels;
    for (const auto& [image, row, column, texel] : cases) {
        if (image != loaded) texels = Texels(*(loaded = image));
        const auto at = texels.begin() + (row * 512 + column) * 4;
        EXPECT_EQ(std::vector<uint8_t>(at, at + 4), texel) << row << "," << column;
    }
}

TEST_F(PictureTest, UndecodableOrInconsistentPicturesAreRefusedLeavingTheTextureAlone) {
    std::vector<DecodedImage> bad(7, CodedPicture(64, 64, 3));
    bad[0].pixels.pop_back();         // short pixel data
    bad[1].bytesPerRow = 64 * 3 - 1;  // rows narrower than their pixels
    bad[2].channels = 0, bad[3].channels = 5;
    bad[4] = DecodedImage();
    bad[5].height = -1;
    Texture tex;
    for (size_t i = 0; i < bad.size(); ++i) {
        decoder_.image = bad[i];
        if (i + 1 == bad.size()) decoder_.readable = {"other.jpg"};  // the decoder refuses
        EXPECT_FALSE(loadPicFile("bad.jpg", &tex)) << "case " << i;
    }
    EXPECT_TRUE(tex.texID == 0 && tex.imageData == nullptr && tex.width == 0);
    SetImageDecoder(nullptr);
    EXPECT_FALSE(loadPicFile("no-decoder.jpg", &tex));
    EXPECT_FALSE(loadPicFile(nullptr, &tex));
}

// Only exact lower-case extensions count, folders named like pictures too; the random choice is
// uniform over all pictures, whatever their extension (a miscounted name would take its share).
TEST_F(PictureTest, PicturesAreFoundByExtensionAndChosenUniformly) {
    for (const char* name : {"a.JPG", "b.jpeg", "c.jpg", "d.gif", "e.png", "notes.txt", "jpg"})
        Touch(name);
    Touch(".jpg");  // a name no longer than the extension is not a picture name
    fs::create_directory(folder_ / "album.jpg");
    const std::string folder = folder_.Path();
    char name[kPicturePathSize];
    // Four pictures: each is drawn about a quarter of the time.
    std::srand(12345);
    std::multiset<std::string> drawn;
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(ChooseRandomImageFile(folder.c_str(), name));
        drawn.insert(name);
    }
    for (const char* picture : {"c.jpg", "album.jpg", "d.gif", "e.png"})
        EXPECT_NEAR(drawn.count(picture) / 2000.0, 0.25, 0.04) << picture;
    fs::create_directory(folder_ / "empty");
    EXPECT_FALSE(ChooseRandomImageFile((folder_ / "empty").c_str(), name));
    EXPECT_FALSE(ChooseRandomImageFile((folder + "/missing").c_str(), name));
}

TEST_F(PictureTest, PathsAreJoinedWithOneSlashAndRefusedWhenTooLong) {
    char path[kPicturePathSize];
    EXPECT_TRUE(JoinPicturePath("/pics/", "a.jpg", path) && path == std::string("/pics/a.jpg"));
    // A short relative folder still gets its slash.
    EXPECT_TRUE(JoinPicturePath("ab", "a.jpg", path) && path == std::string("ab/a.jpg")) << path;
    const std::string fits(kPicturePathSize - 1 - 5 - 1, 'd');  // 1023 with "/n.jpg"
    ASSERT_TRUE(JoinPicturePath(fits.c_str(), "n.jpg", path));
    EXPECT_EQ(std::string(path).size(), kPicturePathSize - 1);
    EXPECT_FALSE(JoinPicturePath((fits + "d").c_str(), "n.jpg", path));
}

}  // namespace
