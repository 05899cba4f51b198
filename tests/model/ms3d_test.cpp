#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "assets/pack_writer.h"
#include "assets/resfile.h"
#include "model/ms3d.h"
#include "model/ms3d_layout.h"
#include "model_fixtures.h"
#include "tests/support/recording_alert.h"

using namespace model_fixtures;

namespace {

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

// Refusal as the loader must make it: false, the one message, an empty record, nothing read
// past `readLimit` (the lump by default). The whole of `bytes` stays in the stream, so a loader
// that read past a shorter lump would succeed.
void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& what, uint32_t lump = ~0u,
                   long readLimit = -1) {
    SCOPED_TRACE(what);
    if (lump == ~0u) lump = uint32_t(bytes.size());
    if (readLimit < 0) readLimit = long(lump);
    RecordingAlert alert;
    MS3D m;
    m.vertices.resize(2);  // leftovers of an earlier use must not survive a refusal
    m.vertexCount = 2;
    long position = 0;
    EXPECT_FALSE(LoadBytes(bytes, lump, &m, &position));
    EXPECT_TRUE(Empty(m));
    EXPECT_LE(position, readLimit);
    EXPECT_EQ(alert.lines, std::vector<std::string>{"Not a valid MS3D file!"});
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

    // Fields land in the record where they belong (a loader and writer that both swapped two
    // fields would still round-trip).
    EXPECT_EQ(loaded.vertices[2].refCount, 7);
    EXPECT_EQ(loaded.vertices[3].jointIndex, -1);
    EXPECT_EQ(loaded.triangles[1].flags, 0x1234);
    EXPECT_EQ(loaded.triangles[2].t[0], 0.25f);
    EXPECT_EQ(loaded.triangles[2].groupIndex, 1);
    EXPECT_EQ(loaded.groups[0].triangleIndices, (std::vector<uint16_t>{0, 1}));
    EXPECT_EQ(loaded.materials[1].mode, -128);
    EXPECT_STREQ(loaded.materials[0].textureName, "coat.tga");
    EXPECT_EQ(loaded.totalFrames, 120);
    EXPECT_STREQ(loaded.joints[2].parentName, "spine");
    EXPECT_EQ(loaded.joints[1].translationKeys[1].y, 0.5f);

    // And the writer puts them at the offsets of the file layout.
    const size_t vertices = 16, triangles = vertices + 15 * 5 + 2, groups = triangles + 70 * 3 + 2;
    const size_t materials = groups + 40 + 38 + 2, timing = materials + 2 * 361;
    const size_t joint1 = timing + 12 + 2 + 93;
    const struct {
        size_t offset;
        uint8_t value;
    } byteAt[] = {{vertices + 15, 3},      {vertices + 15 * 3 + 13, 0xFF},
                  {vertices + 44, 7},      {triangles + 70, 0x34},
                  {triangles + 71, 0x12},  {triangles + 209, 1},
                  {groups + 33, 2},        {groups + 37, 1},
                  {materials + 465, 0x80}, {joint1 + 89, 3},
                  {joint1 + 91, 2}};
    for (const auto& b : byteAt) EXPECT_EQ(bytes[b.offset], b.value) << "byte " << b.offset;
    const struct {
        size_t offset;
        float value;
    } floatAt[] = {{vertices + 16, 1.0f},   {triangles + 102, 1.0f}, {triangles + 196, 0.25f},
                   {materials + 100, 1.0f}, {timing, 30.0f},         {joint1 + 113, 0.5f},
                   {joint1 + 141, 0.0f},    {joint1 + 169, -0.5f}};
    for (const auto& f : floatAt)
        EXPECT_EQ(ms3d_layout::LoadF32(&bytes[f.offset]), f.value) << "float " << f.offset;
    EXPECT_EQ(ms3d_layout::LoadU32(&bytes[timing + 8]), 120u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[groups + 1]), "body");
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[joint1 + 33]), "root");

    // Versions 3 and 4 read alike.
    MS3D three;
    ASSERT_TRUE(Load(Bytes(sample, 3), &three));
    EXPECT_EQ(Bytes(three), bytes);
}

TEST(MS3DFile, EmptySectionsAndTrailingDataAreReadAtTheRightPlace) {
    // Materials and joints behind empty geometry; a group without triangles still has its
    // material; a joint without keys is exactly 93 bytes; the lump carries trailing bytes.
    MS3D sparse;
    sparse.groups.resize(1);
    SetName(sparse.groups[0].name, "none");
    sparse.groups[0].materialIndex = 0;
    sparse.materials = {Material("only", 5)};
    sparse.fps = 30.0f;
    sparse.totalFrames = 120;
    sparse.joints = {Joint("a", "", MakePoint(0, 0, 0), MakePoint(1, 2, 3))};
    SyncMS3DCounts(&sparse);
    MS3D empty;
    empty.fps = 24.0f;
    for (const MS3D* model : {&empty, &sparse}) {
        const std::vector<uint8_t> bytes = Bytes(*model);
        ASSERT_EQ(bytes.size(), LayoutSize(*model));
        const std::string trailing = "TRAILING";
        MS3D m;
        long position = 0;
        ASSERT_TRUE(
            LoadBytes(bytes, uint32_t(bytes.size() + trailing.size()), &m, &position, trailing));
        EXPECT_EQ(position, long(bytes.size()));
        EXPECT_EQ(Bytes(m), bytes);
        EXPECT_EQ(m.totalTime, model == &empty ? 0.0f : 4000.0f);
    }
}

TEST(MS3DFile, ScaleMultipliesLengthsOnly) {
    MS3D scaled = SampleModel();
    scaled.Scale(2.0f);
    // Positions and translation keys doubled by hand; angles, times, normals and s, t kept.
    MS3D expected = SampleModel();
    for (MS3DVERTEX& v : expected.vertices)
        for (float& c : v.position) c *= 2.0f;
    for (MS3DJOINT& j : expected.joints) {
        for (float& c : j.position) c *= 2.0f;
        for (MS3DKEY& k : j.translationKeys) k.x *= 2.0f, k.y *= 2.0f, k.z *= 2.0f;
    }
    EXPECT_EQ(Bytes(scaled), Bytes(expected));
    MS3D none;
    none.Scale(3.0f);
    EXPECT_TRUE(Empty(none));
}

TEST(MS3DFile, BadHeadersAndEveryTruncationAreRefusedWithoutReadingPastTheLump) {
    const std::vector<uint8_t> bytes = Bytes(SampleModel());
    // A wrong version or magic is refused right after the 14-byte header.
    for (const int32_t version : {2, 5, 0, -4}) {
        std::vector<uint8_t> bad = bytes;
        ms3d_layout::StoreU32(&bad[10], uint32_t(version));
        ExpectRefused(bad, "version " + std::to_string(version), ~0u, 14);
    }
    for (const size_t at : {0, 3, 9}) {
        std::vector<uint8_t> bad = bytes;
        bad[at] = '1';
        ExpectRefused(bad, "magic byte " + std::to_string(at), ~0u, 14);
    }
    for (uint32_t lump = 0; lump < bytes.size(); ++lump) {
        ExpectRefused(bytes, "lump of " + std::to_string(lump), lump);
        if (HasFailure()) break;
    }
    // Counts far beyond the data.
    MS3D one;
    one.vertices = {Vertex(0, 0, 0, -1)};
    one.fps = 30.0f;
    SyncMS3DCounts(&one);
    std::vector<uint8_t> huge = Bytes(one);
    ms3d_layout::StoreU16(&huge[14], 0xFFFF);
    ExpectRefused(huge, "vertex count");
    huge = bytes;
    ms3d_layout::StoreU16(&huge[16 + 15 * 5 + 2 + 70 * 3 + 2 + 33], 0xFFF0);
    ExpectRefused(huge, "group triangle count");
    huge = bytes;
    ms3d_layout::StoreU16(&huge[huge.size() - (93 * 3 + 16 * 6) + 93 + 89], 0x8000);
    ExpectRefused(huge, "rotation key count");
}

TEST(MS3DFile, HostileContentIsRefusedWithItsReason) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const char* const kOutOfRange = "a vertex names a joint the model lacks";
    const char* const kFrameRate = "its frame rate is not between 1 and 1000 frames a second";
    const char* const kNotFinite = "a bind pose or an animation key is not a finite number";
    const struct {
        const char* what;
        std::function<void(MS3D&)> change;
        const char* reason;
    } cases[] = {
        {"unterminated group name", [](MS3D& m) { std::memset(m.groups[1].name, 'A', 32); },
         "a name runs past its 32 bytes"},
        {"unterminated material name",
         [](MS3D& m) { std::memset(m.materials[0].name, 'B', kMS3DNameSize); },
         "a name runs past its 32 bytes"},
        {"unterminated joint name", [](MS3D& m) { std::memset(m.joints[2].name, 'C', 32); },
         "a name runs past its 32 bytes"},
        {"unterminated parent name",
         [](MS3D& m) { std::memset(m.joints[0].parentName, 'D', kMS3DNameSize); },
         "a name runs past its 32 bytes"},
        {"vertex index", [](MS3D& m) { m.triangles[2].vertexIndices[1] = 5; },
         "a triangle names a vertex the model lacks"},
        {"triangle index", [](MS3D& m) { m.groups[1].triangleIndices[0] = 3; },
         "a group names a triangle the model lacks"},
        {"joint index", [](MS3D& m) { m.vertices[0].jointIndex = 3; }, kOutOfRange},
        {"negative joint index", [](MS3D& m) { m.vertices[0].jointIndex = -2; }, kOutOfRange},
        {"material index", [](MS3D& m) { m.groups[0].materialIndex = 2; },
         "a group names a material the model lacks"},
        {"material index below -1", [](MS3D& m) { m.groups[0].materialIndex = -2; },
         "a group names a material the model lacks"},
        {"zero fps", [](MS3D& m) { m.fps = 0.0f; }, kFrameRate},
        {"negative fps", [](MS3D& m) { m.fps = -30.0f; }, kFrameRate},
        {"NaN fps", [nan](MS3D& m) { m.fps = nan; }, kFrameRate},
        {"infinite fps", [inf](MS3D& m) { m.fps = inf; }, kFrameRate},
        {"absurdly small fps", [](MS3D& m) { m.fps = 1e-30f; }, kFrameRate},
        {"absurdly large fps", [](MS3D& m) { m.fps = 1e6f; }, kFrameRate},
        {"NaN rotation key", [nan](MS3D& m) { m.joints[1].rotationKeys[1].y = nan; }, kNotFinite},
        {"infinite key time", [inf](MS3D& m) { m.joints[1].translationKeys[0].time = inf; },
         kNotFinite},
        {"NaN translation key", [nan](MS3D& m) { m.joints[1].translationKeys[1].z = nan; },
         kNotFinite},
        {"infinite bind position", [inf](MS3D& m) { m.joints[2].position[0] = -inf; }, kNotFinite},
        {"NaN bind rotation", [nan](MS3D& m) { m.joints[0].rotation[2] = nan; }, kNotFinite},
        {"parent after its child", [](MS3D& m) { SetName(m.joints[0].parentName, "tail"); },
         "a joint's parent comes after it"},
    };
    for (const auto& c : cases) {
        MS3D m = SampleModel();
        c.change(m);
        const std::vector<uint8_t> bytes = Bytes(m);
        ExpectRefused(bytes, c.what);
        std::istringstream in(AsString(bytes));
        std::string reason;
        RecordingAlert quiet;
        MS3D loaded;
        EXPECT_FALSE(loaded.LoadFromFStream(in, uint32_t(bytes.size()), reason)) << c.what;
        EXPECT_EQ(reason, c.reason) << c.what;
        EXPECT_TRUE(quiet.lines.empty()) << c.what;
    }
    // Accepted: a parent name that names no joint, or the joint itself, makes a root; a group
    // without a material (-1) is drawn untextured.
    MS3D m = SampleModel();
    SetName(m.joints[1].parentName, "nobody");
    SetName(m.joints[2].parentName, "tail");
    m.groups[1].materialIndex = -1;
    m.fps = 1000.0f;
    MS3D loaded;
    ASSERT_TRUE(Load(Bytes(m), &loaded));
    EXPECT_EQ(loaded.ParentOf(1), -1);
    EXPECT_EQ(loaded.ParentOf(2), -1);
    EXPECT_EQ(loaded.groups[1].materialIndex, -1);
}

TEST(MS3DFile, LoadsFromAPackLumpBoundedByTheLumpSize) {
    const std::vector<uint8_t> model = Bytes(SampleModel());
    const std::string path = testing::TempDir() + "model_pack_" + std::to_string(getpid());
    // The model between two other lumps, and the model split over two lumps.
    const std::vector<std::vector<std::vector<uint8_t>>> packs = {
        {std::vector<uint8_t>(100, 0xAB), model, {1, 2, 3}},
        {std::vector<uint8_t>(model.begin(), model.end() - 40),
         std::vector<uint8_t>(model.end() - 40, model.end())}};
    for (size_t p = 0; p < packs.size(); ++p) {
        PackWriter writer;
        for (const auto& lump : packs[p]) writer.AddLump(2, 0, lump);
        ASSERT_TRUE(writer.WriteFile(path));
        RESFILE file;
        ASSERT_TRUE(file.Open(path.c_str()));
        const int lump = p == 0 ? 1 : 0;
        ASSERT_TRUE(file.SeekLump(lump));
        RecordingAlert alert;
        MS3D loaded;
        EXPECT_EQ(loaded.LoadFromFStream(file.stream, file.LumpSize(lump)), p == 0);
        if (p == 0) {
            EXPECT_EQ(Bytes(loaded), model);
        } else {
            EXPECT_TRUE(Empty(loaded));
        }
    }
    std::remove(path.c_str());
}

TEST(MS3DFile, WriterRefusesCountsThatDisagreeWithTheirArrays) {
    std::vector<uint8_t> out = {9};
    const std::vector<std::function<void(MS3D&)>> breaks = {
        [](MS3D& m) { m.vertexCount = 4; }, [](MS3D& m) { m.groups[0].triangleCount = 3; },
        [](MS3D& m) { m.joints[1].translationKeyCount = 0; }};
    for (const auto& change : breaks) {
        MS3D m = SampleModel();
        change(m);
        EXPECT_FALSE(WriteMS3D(m, &out));
    }
    EXPECT_FALSE(WriteMS3D(SampleModel(), &out, 5));
    EXPECT_EQ(out, std::vector<uint8_t>{9});
    EXPECT_TRUE(WriteMS3D(SampleModel(), &out));
    EXPECT_EQ(out.size(), 1 + LayoutSize(SampleModel()));
}
