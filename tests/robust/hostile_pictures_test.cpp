// Picture folders as users have them: missing, not a folder, crowded, holding damaged or hostile
// files. The ground always gets a picture (the shipped one when the folder yields none), the user
// reads one line saying why, and the scene runs on it.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/texture.h"
#include "host/background_source.h"
#include "hostile_scene.h"
#include "platform/image_encoder.h"
#include "platform/pixbuf_picture_decoder.h"
#include "tests/support/peak_memory.h"

namespace {

using test_files::WriteBytes;

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBE32(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBE32(png, uint32_t(crc32(0, png.data() + start, uInt(png.size() - start))));
}

// A real, complete PNG of side x side one-bit grey pixels, all black: about 100 KB on disk for a
// 30,000 x 30,000 picture that would take 3.6 GB as RGBA.
std::vector<uint8_t> OneColourPng(uint32_t side) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    PutBE32(header, side);
    PutBE32(header, side);
    header.insert(header.end(), {1, 0, 0, 0, 0});  // 1 bit, grey, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    const std::vector<uint8_t> row(1 + (side + 7) / 8, 0);  // filter byte, then the bits
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, Z_BEST_COMPRESSION), Z_OK);
    std::vector<uint8_t> compressed;
    std::vector<uint8_t> buffer(1 << 16);
    for (uint32_t y = 0; y < side; ++y) {
        z.next_in = const_cast<Bytef*>(row.data());
        z.avail_in = uInt(row.size());
        const int flush = y + 1 == side ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buffer.data();
            z.avail_out = uInt(buffer.size());
            deflate(&z, flush);
            compressed.insert(compressed.end(), buffer.data(), z.next_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    PutChunk(png, "IDAT", compressed);
    PutChunk(png, "IEND", {});
    return png;
}

// A GIF with its header and colour table but not a single frame.
std::vector<uint8_t> GifWithoutFrames() {
    return {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 255, 255, 0, 0, 0, 0x3b};
}

std::vector<uint8_t> SmallJpeg() {
    std::vector<uint8_t> pixels(32 * 24 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7);
    return EncodeJpeg(pixels.data(), 32, 24, 3, 80);
}

class HostilePictures : public ShippedSceneTest {
  protected:
    static void SetUpTestSuite() {
        ShippedSceneTest::SetUpTestSuite();
        // Pictures from outside go through the desktop's decoder, as in the saver.
        SetImageDecoder(&pictures_);
        DecodedImage fallback;
        std::string error;
        ASSERT_TRUE(pictures_.DecodeFile(FallbackPicture().c_str(), fallback, error)) << error;
        fallbackWidth_ = fallback.width;
        fallbackHeight_ = fallback.height;
    }

    struct Outcome {
        bool loaded = false;
        bool fallback = false;  // the shipped picture's size
        uint32_t width = 0;
        uint32_t height = 0;
        std::string said;  // standard error while loading
        SceneRun run;
    };

    // Loads the ground picture of source 2 from `folder` as the view does, then runs the scene on
    // it.
    Outcome LoadFrom(const std::string& folder) {
        SETTINGS settings = DefaultSettings();
        settings.BGTYPE = 2;
        EXPECT_TRUE(SetBackgroundFolder(settings, folder));
        Texture ground;
        Outcome o;
        testing::internal::CaptureStderr();
        GroundPictureSources sources;
        sources.fallbackPath = FallbackPicture();
        o.loaded = LoadGroundPicture(settings, sources, ground);
        o.said = testing::internal::GetCapturedStderr();
        o.width = ground.width;
        o.height = ground.height;
        o.fallback = o.width == uint32_t(fallbackWidth_) && o.height == uint32_t(fallbackHeight_);
        const unsigned texture = ground.texID;
        ground.texID = 0;  // the scene owns it now
        o.run = RunScene(settings, texture, 100);
        return o;
    }

    // The shipped picture, one line on standard error containing `mention`, and a sound scene.
    void ExpectFallbackWithLine(const Outcome& o, const std::string& mention) {
        EXPECT_TRUE(o.loaded);
        EXPECT_TRUE(o.fallback) << o.width << " x " << o.height;
        EXPECT_TRUE(o.run.groundIsTexture);
        EXPECT_EQ(std::count(o.said.begin(), o.said.end(), '\n'), 1) << o.said;
        EXPECT_EQ(o.said.rfind("velmora: ", 0), 0u) << o.said;
        EXPECT_NE(o.said.find(mention), std::string::npos) << o.said;
        EXPECT_NE(o.said.find("shipped picture"), std::string::npos) << o.said;
        ExpectSaneScene(o.run);
    }

    static void ExpectSaneScene(const SceneRun& run) {
        EXPECT_TRUE(run.setUp);
        EXPECT_EQ(run.cats, 3);
        for (const std::string& problem : run.problems) ADD_FAILURE() << problem;
    }

    static inline PixbufPictureDecoder pictures_;
    static inline int fallbackWidth_ = 0;
    static inline int fallbackHeight_ = 0;
    ScratchFolder scratch_;
};

TEST_F(HostilePictures, FoldersThatAreNotFoldersOfPicturesGiveTheShippedPicture) {
    ExpectFallbackWithLine(LoadFrom(scratch_.File("missing")), "does not exist");

    const std::string file = scratch_.File("a-file");
    WriteBytes(file, {'h', 'i'});
    ExpectFallbackWithLine(LoadFrom(file), "is not a folder");

    const std::string empty = scratch_.File("empty");
    std::filesystem::create_directory(empty);
    ExpectFallbackWithLine(LoadFrom(empty), "holds no .jpg, .png or .gif");

    // A folder whose only candidate is itself a folder named like a picture.
    const std::string named = scratch_.File("named");
    std::filesystem::create_directories(named + "/x.jpg");
    ExpectFallbackWithLine(LoadFrom(named), "x.jpg: is a folder, not a file");
}

TEST_F(HostilePictures, DamagedAndHostileFilesGiveTheShippedPicture) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* mention;
    };
    std::vector<uint8_t> truncated = SmallJpeg();
    ASSERT_GT(truncated.size(), 200u);
    truncated.resize(truncated.size() / 2);
    const std::vector<Case> cases = {
        {"empty.jpg", {}, "empty.jpg"},
        {"cut.jpg", truncated, "cut.jpg"},
        {"no-frames.gif", GifWithoutFrames(), "no-frames.gif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = scratch_.File(std::string("only-") + c.name);
        std::filesystem::create_directory(folder);
        WriteBytes(folder + "/" + c.name, c.bytes);
        ExpectFallbackWithLine(LoadFrom(folder), c.mention);
    }
}

TEST_F(HostilePictures, AHugePictureIsRefusedFromItsHeaderWithoutDecoding) {
    const std::string folder = scratch_.File("bomb");
    std::filesystem::create_directory(folder);
    const std::vector<uint8_t> bomb = OneColourPng(30000);
    EXPECT_LT(bomb.size(), 1u << 20);  // small on disk
    WriteBytes(folder + "/bomb.png", bomb);
    // Sound as a file: a picture of this size with a small side does decode.
    const std::vector<uint8_t> sample = OneColourPng(300);
    DecodedImage decoded;
    std::string error;
    WriteBytes(folder + "/../sample.png", sample);
    ASSERT_TRUE(pictures_.DecodeFile((folder + "/../sample.png").c_str(), decoded, error)) << error;
    EXPECT_EQ(decoded.width, 300);

    // Decoding would have needed gigabytes; refusing it needs next to nothing.
    const long peakBefore = PeakResidentKilobytes();
    EXPECT_FALSE(pictures_.DecodeFile((folder + "/bomb.png").c_str(), decoded, error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_LT(PeakResidentKilobytes() - peakBefore, 64 * 1024);
    ExpectFallbackWithLine(LoadFrom(folder), "bomb.png");
}

TEST_F(HostilePictures, AFolderOfTenThousandFilesFindsItsOnePicture) {
    const std::string folder = scratch_.File("crowded");
    std::filesystem::create_directory(folder);
    for (int i = 0; i < 10000; ++i) WriteBytes(folder + "/note-" + std::to_string(i) + ".txt", {});
    const uint8_t pixels[6 * 4 * 3] = {200};
    const std::vector<uint8_t> png = EncodePng(pixels, 6, 4, 3);
    WriteBytes(folder + "/the-one.png", png);
    const Outcome o = LoadFrom(folder);
    EXPECT_TRUE(o.loaded);
    EXPECT_EQ(o.width, 6u);
    EXPECT_EQ(o.height, 4u);
    EXPECT_EQ(o.said, "");
    EXPECT_TRUE(o.run.groundIsTexture);
    ExpectSaneScene(o.run);
}

}  // namespace

namespace {

std::vector<uint8_t> CorpusFile(const std::string& name) {
    return test_files::ReadBytes(std::string(VELMORA_SOURCE_DIR) + "/fuzz/picture_file/corpus/" +
                                 name);
}

// Files the fuzzer found that stb_image 2.27 would read outside its tables or copy to a null
// pointer; the decoder refuses them, and still reads the sound files that look alike.
TEST(HostileDecoding, FilesThatWouldDerailStbAreRefused) {
    StbImageDecoder decoder;
    DecodedImage image;
    std::string error;

    // stb skips 0xff fill bytes before the start marker too, so the table check must.
    for (const char* name :
         {"jpeg-after-fill-bytes-huffman-overrun", "jpeg-after-fill-bytes-huffman-overrun-2"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = CorpusFile(name);
        ASSERT_GT(bytes.size(), 100u);
        EXPECT_FALSE(decoder.DecodeMemory(bytes.data(), bytes.size(), image, error));
        EXPECT_NE(error.find("Huffman"), std::string::npos) << error;
    }
    std::vector<uint8_t> filled = {0xff, 0xff, 0xff};
    const std::vector<uint8_t> jpeg = SmallJpeg();
    filled.insert(filled.end(), jpeg.begin() + 1, jpeg.end());
    error.clear();
    EXPECT_TRUE(decoder.DecodeMemory(filled.data(), filled.size(), image, error)) << error;
    EXPECT_EQ(image.width, 32);

    // 158 bytes whose image-data chunk claims 1.6 GB: refused before stb grows a buffer to it.
    const std::vector<uint8_t> claim = CorpusFile("png-chunk-claims-1600-megabytes");
    ASSERT_GT(claim.size(), 100u);
    const long peakBefore = PeakResidentKilobytes();
    EXPECT_FALSE(decoder.DecodeMemory(claim.data(), claim.size(), image, error));
    EXPECT_NE(error.find("runs past the end"), std::string::npos) << error;
    EXPECT_LT(PeakResidentKilobytes() - peakBefore, 256 * 1024);

    const std::vector<uint8_t> emptyData = CorpusFile("png-empty-first-image-data");
    ASSERT_GT(emptyData.size(), 40u);
    EXPECT_FALSE(decoder.DecodeMemory(emptyData.data(), emptyData.size(), image, error));
    EXPECT_NE(error.find("empty image data"), std::string::npos) << error;
    // An empty chunk after the image data has begun is harmless and still read.
    std::vector<uint8_t> png = OneColourPng(16);
    const std::vector<uint8_t> emptyChunk = {0,   0,   0,    0,    'I',  'D',
                                             'A', 'T', 0x35, 0xaf, 0x06, 0x1e};
    png.insert(png.end() - 12, emptyChunk.begin(), emptyChunk.end());  // before IEND
    error.clear();
    EXPECT_TRUE(decoder.DecodeMemory(png.data(), png.size(), image, error)) << error;
    EXPECT_EQ(image.width, 16);
}

}  // namespace
