#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

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

// Byte size of a model from the record sizes of the file layout, counted apart from the writer.
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
    RecordingAlert alert;
    MS3D m;
    m.vertices.resize(2);  // leftovers of an earlier use must not survive a refusal
    m.vertexCount = 2;
    long position = 0;
    EXPECT_FALSE(LoadBytes(bytes, lump, &m, &position));
    EXPECT_TRUE(Empty(m));
    EXPECT_LE(position, readLimit < 0 ? long(lump) : readLimit);
    EXPECT_EQ(alert.lines, std::vector<std::string>{"Not a valid MS3D file!"});
}

}  // namespace

TEST(MS3DFile, WriterAndLoaderRoundTripByteForByteAtTheLayoutsOffsets) {
    // Empty models and sections are replayed by the fuzz corpus, which checks the same round trip.
    const MS3D sample = SampleModel();
    const std::vector<uint8_t> bytes = Bytes(sample);
    ASSERT_EQ(bytes.size(), LayoutSize(sample));
    MS3D loaded;  // from a lump with trailing bytes, which the loader leaves alone
    long position = 0;
    ASSERT_TRUE(LoadBytes(bytes, uint32_t(bytes.size() + 8), &loaded, &position, "TRAILING"));
    EXPECT_EQ(position, long(bytes.size()));
    EXPECT_EQ(Bytes(loaded), bytes);
    EXPECT_EQ(loaded.totalTime, 4000.0f);
    // The writer puts the fields at the offsets of the file layout, so the loader reading its
    // bytes back reads every field from its place.
    const size_t vertices = 16, triangles = vertices + 15 * 5 + 2, groups = triangles + 70 * 3 + 2;
    const size_t materials = groups + 40 + 38 + 2, timing = materials + 2 * 361;
    const size_t joint1 = timing + 12 + 2 + 93;
    const std::pair<size_t, uint8_t> byteAt[] = {
        {vertices + 15, 3},      {vertices + 15 * 3 + 13, 0xFF},
        {vertices + 44, 7},      {triangles + 70, 0x34},
        {triangles + 71, 0x12},  {triangles + 209, 1},
        {groups + 33, 2},        {groups + 37, 1},
        {materials + 465, 0x80}, {joint1 + 89, 3},
        {joint1 + 91, 2}};
    for (const auto& b : byteAt) EXPECT_EQ(bytes[b.first], b.second) << "byte " << b.first;
    const std::pair<size_t, float> floatAt[] = {{vertices + 16, 1.0f},    {triangles + 102, 1.0f},
                                                {triangles + 196, 0.25f}, {materials + 100, 1.0f},
                                                {timing, 30.0f},          {joint1 + 113, 0.5f},
                                                {joint1 + 141, 0.0f},     {joint1 + 169, -0.5f}};
    for (const auto& f : floatAt)
        EXPECT_EQ(ms3d_layout::LoadF32(&bytes[f.first]), f.second) << "float " << f.first;
    EXPECT_EQ(ms3d_layout::LoadU32(&bytes[timing + 8]), 120u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[groups + 1]), "body");
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[joint1 + 33]), "root");
    MS3D three;  // versions 3 and 4 read alike
    ASSERT_TRUE(LoadBytes(Bytes(sample, 3), uint32_t(bytes.size()), &three));
    EXPECT_EQ(Bytes(three), bytes);
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
    for (uint32_t lump = 0; lump < bytes.size() && !HasFailure(); ++lump)
        ExpectRefused(bytes, "lump of " + std::to_string(lump), lump);
    // Counts far beyond the data.
    const std::pair<size_t, uint16_t> counts[] = {
        {14, 0xFFFF}, {16 + 15 * 5 + 2 + 70 * 3 + 2 + 33, 0xFFF0}, {bytes.size() - 193, 0x8000}};
    for (const auto& c : counts) {
        std::vector<uint8_t> huge = bytes;
        ms3d_layout::StoreU16(&huge[c.first], c.second);
        ExpectRefused(huge, "count at " + std::to_string(c.first));
    }
}

TEST(MS3DFile, HostileContentIsRefusedWithItsReason) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string name = "a name runs past its 32 bytes";
    const std::string joint = "a vertex names a joint the model lacks";
    const std::string material = "a group names a material the model lacks";
    const std::string fps = "its frame rate is not between 1 and 1000 frames a second";
    const std::string finite = "a bind pose or an animation key is not a finite number";
    const std::vector<std::pair<std::string, std::function<void(MS3D&)>>> cases = {
        {name, [](MS3D& m) { std::memset(m.groups[1].name, 'A', 32); }},
        {name, [](MS3D& m) { std::memset(m.materials[0].name, 'B', 32); }},
        {name, [](MS3D& m) { std::memset(m.joints[2].name, 'C', 32); }},
        {name, [](MS3D& m) { std::memset(m.joints[0].parentName, 'D', 32); }},
        {"a triangle names a vertex the model lacks",
         [](MS3D& m) { m.triangles[2].vertexIndices[1] = 5; }},
        {"a group names a triangle the model lacks",
         [](MS3D& m) { m.groups[1].triangleIndices[0] = 3; }},
        {joint, [](MS3D& m) { m.vertices[0].jointIndex = 3; }},
        {joint, [](MS3D& m) { m.vertices[0].jointIndex = -2; }},
        {material, [](MS3D& m) { m.groups[0].materialIndex = 2; }},
        {material, [](MS3D& m) { m.groups[0].materialIndex = -2; }},
        {fps, [](MS3D& m) { m.fps = 0.0f; }},
        {fps, [](MS3D& m) { m.fps = -30.0f; }},
        {fps, [nan](MS3D& m) { m.fps = nan; }},
        {fps, [inf](MS3D& m) { m.fps = inf; }},
        {fps, [](MS3D& m) { m.fps = 0.999f; }},
        {fps, [](MS3D& m) { m.fps = 1000.5f; }},
        {finite, [nan](MS3D& m) { m.joints[1].rotationKeys[1].y = nan; }},
        {finite, [inf](MS3D& m) { m.joints[1].translationKeys[0].time = inf; }},
        {finite, [nan](MS3D& m) { m.joints[1].translationKeys[1].z = nan; }},
        {finite, [inf](MS3D& m) { m.joints[2].position[0] = -inf; }},
        {finite, [nan](MS3D& m) { m.joints[0].rotation[2] = nan; }},
        {"a joint's parent comes after it",
         [](MS3D& m) { SetName(m.joints[0].parentName, "tail"); }},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        MS3D m = SampleModel();
        cases[i].second(m);
        const std::vector<uint8_t> bytes = Bytes(m);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        std::string reason;
        RecordingAlert quiet;  // the caller words the message
        MS3D loaded;
        EXPECT_FALSE(loaded.LoadFromFStream(in, uint32_t(bytes.size()), reason)) << i;
        EXPECT_EQ(reason, cases[i].first) << i;
        EXPECT_TRUE(quiet.lines.empty() && Empty(loaded)) << i;
    }
    // Accepted: a parent name that names no joint, or the joint itself, makes a root; a group
    // without a material (-1) is drawn untextured; the frame rates at both ends.
    MS3D m = SampleModel();
    SetName(m.joints[1].parentName, "nobody");
    SetName(m.joints[2].parentName, "tail");
    m.groups[1].materialIndex = -1;
    for (const float rate : {1.0f, 1000.0f}) {
        m.fps = rate;
        MS3D loaded;
        ASSERT_TRUE(LoadBytes(Bytes(m), uint32_t(Bytes(m).size()), &loaded)) << rate;
        EXPECT_EQ(loaded.ParentOf(1), -1);
        EXPECT_EQ(loaded.ParentOf(2), -1);
        EXPECT_EQ(loaded.groups[1].materialIndex, -1);
    }
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
    EXPECT_EQ(out, std::vector<uint8_t>{9});  // untouched by every refusal
}
