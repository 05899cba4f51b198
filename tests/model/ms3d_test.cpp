#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "host/alert.h"
#include "model/ms3d.h"
#include "model/ms3d_layout.h"
#include "model_fixtures.h"

using namespace model_fixtures;

namespace {

class RecordingAlert : public Alert {
  public:
    RecordingAlert() { SetAlert(this); }
    ~RecordingAlert() override { SetAlert(nullptr); }
    void Show(const char* caption, const char* text) override {
        lines.push_back(std::string(caption) + ": " + text);
    }
    void Report(const char* message) override { lines.push_back(message); }
    std::vector<std::string> lines;
};

bool Empty(const MS3D& m) {
    return m.vertexCount == 0 && m.triangleCount == 0 && m.groupCount == 0 &&
           m.materialCount == 0 && m.jointCount == 0 && m.vertices.empty() && m.triangles.empty() &&
           m.groups.empty() && m.materials.empty() && m.joints.empty() && m.skeleton.empty() &&
           m.totalFrames == 0 && m.fps == 0.0f && m.totalTime == 0.0f;
}

// Byte size of a model from the record sizes of the file layout, counted independently of the
// writer.
size_t LayoutSize(const MS3D& m) {
    size_t size = 10 + 4 + 2 + 15 * m.vertices.size() + 2 + 70 * m.triangles.size() + 2;
    for (const MS3DGROUP& g : m.groups) size += 36 + 2 * g.triangleIndices.size();
    size += 2 + 361 * m.materials.size() + 4 + 4 + 4 + 2;
    for (const MS3DJOINT& j : m.joints)
        size += 93 + 16 * (j.rotationKeys.size() + j.translationKeys.size());
    return size;
}

float FloatAt(const std::vector<uint8_t>& b, size_t offset) {
    return ms3d_layout::LoadF32(&b[offset]);
}

// Refusal as the loader must make it: false, the one message, an empty record, nothing read
// past the lump.
void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    RecordingAlert alert;
    MS3D m;
    m.vertices.resize(2);  // leftovers of an earlier use must not survive a refusal
    m.vertexCount = 2;
    long position = 0;
    EXPECT_FALSE(LoadBytes(bytes, uint32_t(bytes.size()), &m, &position));
    EXPECT_TRUE(Empty(m));
    EXPECT_LE(position, long(bytes.size()));
    ASSERT_EQ(alert.lines.size(), 1u);
    EXPECT_EQ(alert.lines[0], "Not a valid MS3D file!");
}

}  // namespace

TEST(MS3DFile, WriterAndLoaderRoundTripByteForByte) {
    const MS3D sample = SampleModel();
    const std::vector<uint8_t> bytes = Bytes(sample);
    ASSERT_EQ(bytes.size(), LayoutSize(sample));

    MS3D loaded;
    long position = 0;
    ASSERT_TRUE(LoadBytes(bytes, uint32_t(bytes.size()), &loaded, &position));
    EXPECT_EQ(position, long(bytes.size()));
    EXPECT_EQ(Bytes(loaded), bytes);

    // Fields land where the layout puts them, in the in-memory order of the record.
    EXPECT_EQ(loaded.vertexCount, 5);
    EXPECT_EQ(loaded.vertices[1].flags, 3);
    EXPECT_EQ(loaded.vertices[2].refCount, 7);
    EXPECT_EQ(loaded.vertices[3].jointIndex, -1);
    EXPECT_EQ(loaded.vertices[4].position[2], 1.0f);
    EXPECT_EQ(loaded.triangles[1].flags, 0x1234);
    EXPECT_EQ(loaded.triangles[1].vertexIndices[2], 3);
    EXPECT_EQ(loaded.triangles[1].normals[2][0], 1.0f);
    EXPECT_EQ(loaded.triangles[2].t[0], 0.25f);
    EXPECT_EQ(loaded.triangles[2].smoothingGroup, 9);
    EXPECT_EQ(loaded.triangles[2].groupIndex, 1);
    EXPECT_STREQ(loaded.groups[1].name, "tail");
    EXPECT_EQ(loaded.groups[0].triangleIndices, (std::vector<uint16_t>{0, 1}));
    EXPECT_EQ(loaded.groups[1].materialIndex, 1);
    EXPECT_EQ(loaded.materials[1].mode, -128);
    EXPECT_STREQ(loaded.materials[0].textureName, "coat.tga");
    EXPECT_EQ(loaded.fps, 30.0f);
    EXPECT_EQ(loaded.totalFrames, 120);
    EXPECT_EQ(loaded.totalTime, 4000.0f);
    EXPECT_STREQ(loaded.joints[2].parentName, "spine");
    EXPECT_EQ(loaded.joints[1].rotationKeyCount, 3);
    EXPECT_EQ(loaded.joints[1].translationKeys[1].y, 0.5f);
    EXPECT_EQ(loaded.joints[2].flags, 8);

    // Offsets from the file layout, checked on the raw bytes.
    const size_t vertices = 16;
    EXPECT_EQ(bytes[vertices + 15 * 1], 3);                  // vertex 1 flags
    EXPECT_EQ(FloatAt(bytes, vertices + 15 * 1 + 1), 1.0f);  // vertex 1 x
    EXPECT_EQ(bytes[vertices + 15 * 3 + 13], 0xFF);          // vertex 3 joint -1
    EXPECT_EQ(bytes[vertices + 15 * 2 + 14], 7);             // vertex 2 refCount
    const size_t triangles = vertices + 15 * 5 + 2;
    EXPECT_EQ(bytes[triangles + 70], 0x34);  // triangle 1 flags, little-endian
    EXPECT_EQ(bytes[triangles + 71], 0x12);
    EXPECT_EQ(FloatAt(bytes, triangles + 70 + 8 + 12 * 2), 1.0f);  // corner 2 normal x
    EXPECT_EQ(FloatAt(bytes, triangles + 140 + 56), 0.25f);        // triangle 2 t[0]
    EXPECT_EQ(bytes[triangles + 140 + 69], 1);                     // triangle 2 group
    const size_t groups = triangles + 70 * 3 + 2;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[groups + 1])), "body");
    EXPECT_EQ(bytes[groups + 33], 2);      // triangle count
    EXPECT_EQ(bytes[groups + 35 + 2], 1);  // second index
    EXPECT_EQ(bytes[groups + 35 + 4], 0);  // material of group 0
    const size_t materials = groups + 40 + 38 + 2;
    EXPECT_EQ(bytes[materials + 361 + 104], 0x80);  // mode of material 1
    EXPECT_EQ(FloatAt(bytes, materials + 100), 1.0f);
    const size_t timing = materials + 2 * 361;
    EXPECT_EQ(FloatAt(bytes, timing), 30.0f);
    EXPECT_EQ(ms3d_layout::LoadU32(&bytes[timing + 8]), 120u);
    const size_t joint1 = timing + 12 + 2 + 93;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[joint1 + 33])), "root");
    EXPECT_EQ(bytes[joint1 + 89], 3);                         // rotation keys
    EXPECT_EQ(bytes[joint1 + 91], 2);                         // translation keys
    EXPECT_EQ(FloatAt(bytes, joint1 + 93 + 16 + 4), 0.5f);    // second rotation key x
    EXPECT_EQ(FloatAt(bytes, joint1 + 93 + 48), 0.0f);        // first translation key time
    EXPECT_EQ(FloatAt(bytes, joint1 + 93 + 64 + 12), -0.5f);  // second translation key z
}

TEST(MS3DFile, VersionsThreeAndFourReadAlikeAndOthersAreRefusedAfterTheHeader) {
    const MS3D sample = SampleModel();
    MS3D three, four;
    ASSERT_TRUE(Load(Bytes(sample, 3), &three));
    ASSERT_TRUE(Load(Bytes(sample, 4), &four));
    EXPECT_EQ(Bytes(three), Bytes(four));

    std::vector<uint8_t> bytes = Bytes(sample);
    for (const int32_t version : {2, 5, 0, -4}) {
        std::vector<uint8_t> bad = bytes;
        ms3d_layout::StoreU32(&bad[10], uint32_t(version));
        RecordingAlert alert;
        MS3D m;
        long position = 0;
        EXPECT_FALSE(LoadBytes(bad, uint32_t(bad.size()), &m, &position)) << version;
        EXPECT_EQ(position, 14) << version;
        EXPECT_TRUE(Empty(m));
        EXPECT_EQ(alert.lines, std::vector<std::string>{"Not a valid MS3D file!"});
    }
    for (const size_t at : {size_t(0), size_t(3), size_t(9)}) {
        std::vector<uint8_t> bad = bytes;
        bad[at] = '1';
        MS3D m;
        long position = 0;
        RecordingAlert alert;
        EXPECT_FALSE(LoadBytes(bad, uint32_t(bad.size()), &m, &position)) << at;
        EXPECT_EQ(position, 14);
        EXPECT_EQ(alert.lines.size(), 1u);
    }
    // A lump too short for the header is refused without reading past it.
    MS3D m;
    long position = 0;
    RecordingAlert alert;
    EXPECT_FALSE(LoadBytes(bytes, 13, &m, &position));
    EXPECT_LE(position, 13);
}

TEST(MS3DFile, EmptySectionsAndTrailingDataAreReadAtTheRightPlace) {
    MS3D empty;
    empty.fps = 24.0f;
    std::vector<uint8_t> bytes = Bytes(empty);
    EXPECT_EQ(bytes.size(), 14u + 2 * 5 + 12);
    MS3D m;
    long position = 0;
    ASSERT_TRUE(LoadBytes(bytes, uint32_t(bytes.size()), &m, &position));
    EXPECT_EQ(position, long(bytes.size()));
    EXPECT_TRUE(m.vertices.empty() && m.triangles.empty() && m.groups.empty() &&
                m.materials.empty() && m.joints.empty());
    EXPECT_EQ(m.fps, 24.0f);

    // Materials and joints behind empty geometry; a group without triangles still has its
    // material; a joint without keys is exactly 93 bytes.
    MS3D sparse;
    sparse.groups.resize(1);
    SetName(sparse.groups[0].name, "none");
    sparse.groups[0].materialIndex = 0;
    sparse.materials = {Material("only", 5)};
    sparse.fps = 30.0f;
    sparse.totalFrames = 120;
    sparse.joints = {Joint("a", "", MakePoint(0, 0, 0), MakePoint(1, 2, 3))};
    SyncCounts(&sparse);
    bytes = Bytes(sparse);
    EXPECT_EQ(bytes.size(), 14u + 2 + 2 + (2 + 36) + (2 + 361) + 12 + (2 + 93));
    const std::string trailing = "TRAILING";
    ASSERT_TRUE(
        LoadBytes(bytes, uint32_t(bytes.size() + trailing.size()), &m, &position, trailing));
    EXPECT_EQ(position, long(bytes.size()));
    EXPECT_EQ(m.groups[0].triangleCount, 0);
    EXPECT_EQ(m.groups[0].materialIndex, 0);
    EXPECT_EQ(m.materials[0].mode, 5);
    EXPECT_EQ(m.totalTime, 4000.0f);
    EXPECT_EQ(m.joints[0].position[2], 3.0f);
    EXPECT_EQ(Bytes(m), bytes);
}

TEST(MS3DFile, ScaleMultipliesLengthsOnly) {
    MS3D m = SampleModel();
    const MS3D before = SampleModel();
    m.Scale(2.0f);
    for (size_t i = 0; i < m.vertices.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(m.vertices[i].position[c], 2.0f * before.vertices[i].position[c]);
    for (size_t j = 0; j < m.joints.size(); ++j) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(m.joints[j].position[c], 2.0f * before.joints[j].position[c]);
            EXPECT_EQ(m.joints[j].rotation[c], before.joints[j].rotation[c]);
        }
        for (size_t k = 0; k < m.joints[j].translationKeys.size(); ++k) {
            const MS3DKEY& a = m.joints[j].translationKeys[k];
            const MS3DKEY& b = before.joints[j].translationKeys[k];
            EXPECT_EQ(a.time, b.time);
            EXPECT_EQ(a.x, 2.0f * b.x);
            EXPECT_EQ(a.y, 2.0f * b.y);
            EXPECT_EQ(a.z, 2.0f * b.z);
        }
        for (size_t k = 0; k < m.joints[j].rotationKeys.size(); ++k) {
            EXPECT_EQ(m.joints[j].rotationKeys[k].x, before.joints[j].rotationKeys[k].x);
            EXPECT_EQ(m.joints[j].rotationKeys[k].time, before.joints[j].rotationKeys[k].time);
        }
    }
    for (size_t t = 0; t < m.triangles.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(m.triangles[t].normals[k][0], before.triangles[t].normals[k][0]);
            EXPECT_EQ(m.triangles[t].s[k], before.triangles[t].s[k]);
            EXPECT_EQ(m.triangles[t].t[k], before.triangles[t].t[k]);
        }
    MS3D empty;
    empty.Scale(3.0f);
    EXPECT_TRUE(Empty(empty));
}

TEST(MS3DFile, EveryTruncationIsRefusedWithoutReadingPastTheLump) {
    const std::vector<uint8_t> bytes = Bytes(SampleModel());
    // The whole model stays in the stream: a loader that read past its lump would succeed.
    for (uint32_t lump = 0; lump < bytes.size(); ++lump) {
        RecordingAlert alert;
        MS3D m;
        long position = 0;
        ASSERT_FALSE(LoadBytes(bytes, lump, &m, &position)) << lump;
        ASSERT_LE(position, long(lump));
        ASSERT_TRUE(Empty(m));
        ASSERT_EQ(alert.lines.size(), 1u);
    }
    // Counts far beyond the data.
    MS3D one;
    one.vertices = {Vertex(0, 0, 0, -1)};
    one.fps = 30.0f;
    SyncCounts(&one);
    std::vector<uint8_t> huge = Bytes(one);
    ms3d_layout::StoreU16(&huge[14], 0xFFFF);
    ExpectRefused(huge, "vertex count");
    huge = Bytes(SampleModel());
    const size_t groups = 16 + 15 * 5 + 2 + 70 * 3 + 2;
    ms3d_layout::StoreU16(&huge[groups + 33], 0xFFF0);
    ExpectRefused(huge, "group triangle count");
    huge = Bytes(SampleModel());
    const size_t jointCount = huge.size() - (93 * 3 + 16 * 6) - 2;
    ms3d_layout::StoreU16(&huge[jointCount + 2 + 93 + 89], 0x8000);
    ExpectRefused(huge, "rotation key count");
}

TEST(MS3DFile, HostileContentIsRefused) {
    const auto refuse = [](MS3D m, const char* what) {
        SyncCounts(&m);
        ExpectRefused(Bytes(m), what);
    };
    MS3D m = SampleModel();
    std::memset(m.groups[1].name, 'A', kMS3DNameSize);
    refuse(m, "unterminated group name");
    m = SampleModel();
    std::memset(m.materials[0].name, 'B', kMS3DNameSize);
    refuse(m, "unterminated material name");
    m = SampleModel();
    std::memset(m.joints[2].name, 'C', kMS3DNameSize);
    refuse(m, "unterminated joint name");
    m = SampleModel();
    std::memset(m.joints[0].parentName, 'D', kMS3DNameSize);
    refuse(m, "unterminated parent name");

    m = SampleModel();
    m.triangles[2].vertexIndices[1] = 5;
    refuse(m, "vertex index");
    m = SampleModel();
    m.groups[1].triangleIndices[0] = 3;
    refuse(m, "triangle index");
    m = SampleModel();
    m.vertices[0].jointIndex = 3;
    refuse(m, "joint index");
    m = SampleModel();
    m.vertices[0].jointIndex = -2;
    refuse(m, "negative joint index");
    m = SampleModel();
    m.groups[0].materialIndex = 2;
    refuse(m, "material index");
    m = SampleModel();
    m.groups[0].materialIndex = -1;
    refuse(m, "group without material");

    for (const float fps : {0.0f, -30.0f, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity()}) {
        m = SampleModel();
        m.fps = fps;
        refuse(m, "fps");
    }

    m = SampleModel();
    SetName(m.joints[0].parentName, "tail");
    refuse(m, "parent after its child");
    m = SampleModel();
    SetName(m.joints[1].parentName, "spine");
    refuse(m, "joint its own parent");

    // Within the limits: a parent name that names no joint makes a root.
    m = SampleModel();
    SetName(m.joints[1].parentName, "nobody");
    MS3D loaded;
    EXPECT_TRUE(Load(Bytes(m), &loaded));
}

TEST(MS3DFile, LoadsFromAPackLumpBoundedByTheLumpSize) {
    const std::vector<uint8_t> model = Bytes(SampleModel());
    const std::string path = testing::TempDir() + "model_pack_" + std::to_string(getpid());

    PackWriter pack;
    pack.AddLump(7, 0, std::vector<uint8_t>(100, 0xAB));
    pack.AddLump(2, 0, model);
    pack.AddLump(2, 0, {1, 2, 3});
    ASSERT_TRUE(pack.WriteFile(path));
    RESFILE file;
    ASSERT_TRUE(file.Open(path.c_str()));
    ASSERT_TRUE(file.SeekLump(1));
    MS3D loaded;
    ASSERT_TRUE(loaded.LoadFromFStream(file.stream, file.LumpSize(1)));
    EXPECT_EQ(Bytes(loaded), model);
    file.Close();

    // The same model split over two lumps: the first alone is not a model.
    PackWriter split;
    split.AddLump(2, 0, std::vector<uint8_t>(model.begin(), model.end() - 40));
    split.AddLump(2, 0, std::vector<uint8_t>(model.end() - 40, model.end()));
    ASSERT_TRUE(split.WriteFile(path));
    RESFILE broken;
    ASSERT_TRUE(broken.Open(path.c_str()));
    ASSERT_TRUE(broken.SeekLump(0));
    RecordingAlert alert;
    EXPECT_FALSE(loaded.LoadFromFStream(broken.stream, broken.LumpSize(0)));
    EXPECT_TRUE(Empty(loaded));
    broken.Close();
    std::remove(path.c_str());
}

TEST(MS3DFile, WriterRefusesCountsThatDisagreeWithTheirArrays) {
    std::vector<uint8_t> out = {9};
    MS3D m = SampleModel();
    m.vertexCount = 4;
    EXPECT_FALSE(WriteMS3D(m, &out));
    m = SampleModel();
    m.groups[0].triangleCount = 3;
    EXPECT_FALSE(WriteMS3D(m, &out));
    m = SampleModel();
    m.joints[1].translationKeyCount = 0;
    EXPECT_FALSE(WriteMS3D(m, &out));
    EXPECT_FALSE(WriteMS3D(SampleModel(), &out, 5));
    EXPECT_EQ(out, std::vector<uint8_t>{9});
    EXPECT_TRUE(WriteMS3D(SampleModel(), &out));
    EXPECT_EQ(out.size(), 1 + LayoutSize(SampleModel()));
}
