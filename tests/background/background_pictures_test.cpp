#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "assets/background_pictures.h"
#include "core/image_decoder.h"
#include "platform/headless_gl.h"
#include "tests/host_view/picture_fakes.h"

namespace fs = std::filesystem;

namespace {

// A picture whose pixel at (row, column) tells where it came from: red and green hold the row,
// blue the column, each modulo 256, and row / 256 goes in the upper bits of green.
DecodedImage CodedPicture(int width, int height, int channels) {
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.bytesPerRow = width * channels;
    image.pixels.resize(std::size_t(image.bytesPerRow) * height);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            uint8_t* p = &image.pixels[std::size_t(row) * image.bytesPerRow + column * channels];
            p[0] = uint8_t(row % 256);
            if (channels >= 3) {
                p[1] = uint8_t(row / 256 * 16 + column / 256);
                p[2] = uint8_t(column % 256);
            }
            if (channels == 4) p[3] = 7;
            if (channels == 2) p[1] = 9;
        }
    }
    return image;
}

// The texels of a loaded picture's texture, which is always 512 x 512 RGBA.
std::vector<uint8_t> TexelsOf(const Texture& tex) {
    std::vector<uint8_t> texels(512 * 512 * 4);
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, tex.texID);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(512, 512));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (width == 512 && height == 512)
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

const uint8_t* At(const std::vector<uint8_t>& texels, int row, int column) {
    return &texels[(std::size_t(row) * 512 + column) * 4];
}

struct Source {
    int row;
    int column;
};
Source Decode(const uint8_t* texel) {
    return {texel[0] + (texel[1] >> 4) * 256, texel[2] + (texel[1] & 15) * 256};
}

class PictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(16, 16)) << gl_.Error();
        SetImageDecoder(&decoder_);
        folder_ = fs::temp_directory_path() /
                  ("velmora-pictures-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        SetImageDecoder(nullptr);
        fs::remove_all(folder_);
    }
    void Touch(const std::string& name) { std::ofstream(folder_ / name) << "x"; }
    // Loads `image` as the decoder's picture and returns its texels.
    std::vector<uint8_t> Texels(const DecodedImage& image) {
        decoder_.image = image;
        Texture tex;
        EXPECT_TRUE(loadPicFile("picture.png", &tex));
        return TexelsOf(tex);
    }

    HeadlessGL gl_;
    FakeDecoder decoder_;
    fs::path folder_;
};

TEST_F(PictureTest, PictureIsResampledTo512BottomUpByNearestNeighbour) {
    decoder_.image = CodedPicture(1024, 768, 3);
    Texture tex;
    ASSERT_TRUE(loadPicFile("/some/picture.jpg", &tex));
    EXPECT_EQ(decoder_.paths.back(), "/some/picture.jpg");
    EXPECT_EQ(tex.imageData, nullptr);
    const auto texels = TexelsOf(tex);
    // Texel row 0 is the bottom: it comes from picture row trunc(511 * 1.5) = 766.
    const struct {
        int row, column, sourceRow, sourceColumn;
    } samples[] = {{0, 0, 766, 0}, {511, 511, 0, 1022}, {200, 3, int((511 - 200) * 1.5f), 6}};
    for (const auto& s : samples) {
        const Source source = Decode(At(texels, s.row, s.column));
        EXPECT_EQ(source.row, s.sourceRow) << s.row << "," << s.column;
        EXPECT_EQ(source.column, s.sourceColumn) << s.row << "," << s.column;
    }
    EXPECT_EQ(texels[3], 255) << "an RGB picture is opaque";
}

TEST_F(PictureTest, SmallAndOddPicturesAreEnlargedOrConvertedWithoutOverreading) {
    // A 3 x 2 picture enlarged: every texel comes from inside it; the alpha is not kept.
    auto texels = Texels(CodedPicture(3, 2, 4));
    EXPECT_EQ(Decode(At(texels, 0, 0)).row, 1);
    EXPECT_EQ(Decode(At(texels, 511, 511)).row, 0);
    EXPECT_EQ(Decode(At(texels, 511, 511)).column, 2);
    EXPECT_EQ(texels[3], 255) << "the fourth byte is opaque, not the picture's alpha";

    // Rows padded beyond their pixels are stepped over by bytesPerRow.
    DecodedImage padded = CodedPicture(2, 2, 3);
    padded.bytesPerRow = 8;
    padded.pixels = {10, 0, 0, 10, 0, 0, 99, 99, 20, 0, 0, 20, 0, 0, 99, 99};
    texels = Texels(padded);
    EXPECT_EQ(At(texels, 0, 0)[0], 20);      // bottom row from the picture's last row
    EXPECT_EQ(At(texels, 511, 0)[0], 10);    // top row from the first
    EXPECT_NE(At(texels, 511, 511)[0], 99);  // padding is never read as a pixel

    // Grey pictures become grey RGB; grey with alpha becomes opaque RGBA.
    texels = Texels(CodedPicture(4, 4, 1));
    EXPECT_EQ(std::vector<uint8_t>(texels.begin(), texels.begin() + 4),
              (std::vector<uint8_t>{3, 3, 3, 255}));
    texels = Texels(CodedPicture(4, 4, 2));
    EXPECT_EQ(At(texels, 511, 0)[2], 0);
    EXPECT_EQ(texels[3], 255);
}

TEST_F(PictureTest, UndecodableOrInconsistentPicturesAreRefusedLeavingTheTextureAlone) {
    Texture tex;
    decoder_.succeed = false;
    EXPECT_FALSE(loadPicFile("broken.jpg", &tex));
    EXPECT_EQ(tex.texID, 0u);
    EXPECT_EQ(tex.imageData, nullptr);
    EXPECT_EQ(tex.width, 0u);

    decoder_.succeed = true;
    // Short pixel data, rows narrower than their pixels, odd channel counts, nothing at all.
    std::vector<DecodedImage> bad(6, CodedPicture(64, 64, 3));
    bad[0].pixels.pop_back();
    bad[1].bytesPerRow = 64 * 3 - 1;
    bad[2].channels = 0, bad[3].channels = 5, bad[4].channels = 6;
    bad[5] = DecodedImage();
    for (size_t i = 0; i < bad.size(); ++i) {
        decoder_.image = bad[i];
        EXPECT_FALSE(loadPicFile("bad.jpg", &tex)) << "case " << i;
    }
    EXPECT_EQ(tex.texID, 0u);

    SetImageDecoder(nullptr);
    EXPECT_FALSE(loadPicFile("no-decoder.jpg", &tex));
    EXPECT_FALSE(loadPicFile(nullptr, &tex));
}

TEST_F(PictureTest, OnlyExactLowerCaseExtensionsCountAndFoldersCountToo) {
    for (const char* name :
         {"a.JPG", "b.jpeg", "c.jpg", "d.gif", "e.png", "f.png", "notes.txt", "jpg"}) {
        Touch(name);
    }
    Touch(".jpg");  // a name no longer than the extension is not a picture name
    fs::create_directory(folder_ / "album.jpg");
    const std::string folder = folder_.string();
    EXPECT_EQ(CountFiles(folder.c_str(), ".jpg"), 2);
    EXPECT_EQ(CountFiles(folder.c_str(), ".gif"), 1);
    EXPECT_EQ(CountFiles(folder.c_str(), ".png"), 2);
    EXPECT_EQ(CountFiles((folder + "/missing").c_str(), ".png"), 0);

    // FindNthFile walks the same entries: every index names a different counted file.
    std::set<std::string> found;
    char name[kPicturePathSize];
    for (int n = 0; n < 2; ++n) {
        ASSERT_TRUE(FindNthFile(folder.c_str(), name, ".jpg", n));
        found.insert(name);
    }
    EXPECT_EQ(found, (std::set<std::string>{"c.jpg", "album.jpg"}));
    EXPECT_FALSE(FindNthFile(folder.c_str(), name, ".jpg", 2));
    EXPECT_FALSE(FindNthFile(folder.c_str(), name, ".jpg", -1));
    EXPECT_FALSE(FindNthFile(folder.c_str(), name, ".bmp", 0));
}

TEST_F(PictureTest, RandomChoiceIsUniformAcrossExtensions) {
    Touch("one.jpg");
    for (const char* name : {"p1.png", "p2.png", "p3.png"}) Touch(name);
    const std::string folder = folder_.string();
    char name[kPicturePathSize];

    // The draw maps onto the files exactly: r = rand() % 4, 0 the jpg, 1..3 the pngs in order.
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::srand(seed);
        const int r = std::rand() % 4;
        std::srand(seed);
        ASSERT_TRUE(ChooseRandomImageFile(folder.c_str(), name));
        char expected[kPicturePathSize];
        if (r == 0) {
            EXPECT_STREQ(name, "one.jpg");
        } else {
            ASSERT_TRUE(FindNthFile(folder.c_str(), expected, ".png", r - 1));
            EXPECT_STREQ(name, expected);
        }
    }

    // Over many draws the jpg is picked about a quarter of the time and every file is picked.
    std::srand(12345);
    int jpg = 0;
    std::set<std::string> seen;
    const int draws = 8000;
    for (int i = 0; i < draws; ++i) {
        ASSERT_TRUE(ChooseRandomImageFile(folder.c_str(), name));
        seen.insert(name);
        if (std::string(name) == "one.jpg") ++jpg;
    }
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_NEAR(double(jpg) / draws, 0.25, 0.03);

    const fs::path empty = folder_ / "empty";
    fs::create_directory(empty);
    EXPECT_FALSE(ChooseRandomImageFile(empty.c_str(), name));
    EXPECT_FALSE(ChooseRandomImageFile((folder + "/missing").c_str(), name));
}

TEST_F(PictureTest, PathsAreJoinedWithOneSlashAndRefusedWhenTooLong) {
    char path[kPicturePathSize];
    ASSERT_TRUE(JoinPicturePath("/pics", "a.jpg", path));
    EXPECT_STREQ(path, "/pics/a.jpg");
    ASSERT_TRUE(JoinPicturePath("/pics/", "a.jpg", path));
    EXPECT_STREQ(path, "/pics/a.jpg");
    ASSERT_TRUE(JoinPicturePath("ab", "a.jpg", path));
    EXPECT_STREQ(path, "ab/a.jpg") << "a short relative folder still gets its slash";

    const std::string name = "n.jpg";
    const std::string fits(kPicturePathSize - 1 - name.size() - 1, 'd');  // 1023 with the slash
    ASSERT_TRUE(JoinPicturePath(fits.c_str(), name.c_str(), path));
    EXPECT_EQ(std::string(path).size(), kPicturePathSize - 1);
    const std::string tooLong = fits + "d";
    EXPECT_FALSE(JoinPicturePath(tooLong.c_str(), name.c_str(), path));

    // Loading through the folder, with or without a trailing slash, asks for the same file.
    Touch("only.png");
    decoder_.image = CodedPicture(8, 8, 3);
    Texture first, second;
    ASSERT_TRUE(LoadPicture(folder_.c_str(), &first));
    ASSERT_TRUE(LoadPicture((folder_.string() + "/").c_str(), &second));
    ASSERT_EQ(decoder_.paths.size(), 2u);
    EXPECT_EQ(decoder_.paths[0], (folder_ / "only.png").string());
    EXPECT_EQ(decoder_.paths[1], decoder_.paths[0]);

    // A chosen entry that is not a picture fails the load.
    fs::remove(folder_ / "only.png");
    fs::create_directory(folder_ / "dir.png");
    decoder_.succeed = false;
    Texture none;
    EXPECT_FALSE(LoadPicture(folder_.c_str(), &none));
    EXPECT_EQ(none.texID, 0u);
}

}  // namespace
