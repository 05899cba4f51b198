#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "model/ms3d_layout.h"
#include "model_fixtures.h"
#include "tests/support/recording_alert.h"

using namespace model_fixtures;

namespace {

bool Empty(const MS3D& m) {
    return m.vertexCount == 0 && m.vertices.empty() && m.triangles.empty() && m.joints.empty();
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

TEST(MS3DFile, WriterAndLoaderRoundTripByteForByte) {
    // Empty models and sections are replayed by the fuzz corpus, which checks the same round trip.
    const MS3D sample = SampleModel();
    const std::vector<uint8_t> bytes = Bytes(sample);
    MS3D loaded;  // from a lump with trailing bytes, which the loader leaves alone
    long position = 0;
    ASSERT_TRUE(LoadBytes(bytes, uint32_t(bytes.size() + 8), &loaded, &position, "TRAILING"));
    EXPECT_EQ(position, long(bytes.size()));
    EXPECT_EQ(Bytes(loaded), bytes);
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
    const std::pair<size_t, uint32_t> headers[] = {{10, 2}, {10, 5}, {0, 0x31}, {6, 0}};
    for (const auto& h : headers) {
        std::vector<uint8_t> bad = bytes;
        ms3d_layout::StoreU32(&bad[h.first], h.second);
        ExpectRefused(bad, "header field at " + std::to_string(h.first), ~0u, 14);
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
    const std::string fps = "its frame rate is not between 1 and 1000 frames a second";
    const std::string finite = "a bind pose or an animation key is not a finite number";
    const std::vector<std::pair<std::string, std::function<void(MS3D&)>>> cases = {
        {"a name runs past its 32 bytes",
         [](MS3D& m) { std::memset(m.joints[0].parentName, 'D', 32); }},
        {"a triangle names a vertex the model lacks",
         [](MS3D& m) { m.triangles[2].vertexIndices[1] = 5; }},
        {"a group names a triangle the model lacks",
         [](MS3D& m) { m.groups[1].triangleIndices[0] = 3; }},
        {"a vertex names a joint the model lacks", [](MS3D& m) { m.vertices[0].jointIndex = 3; }},
        {"a group names a material the model lacks",
         [](MS3D& m) { m.groups[0].materialIndex = 2; }},
        {fps, [](MS3D& m) { m.fps = 0.0f; }},
        {fps, [](MS3D& m) { m.fps = 1000.5f; }},
        {finite, [](MS3D& m) { m.joints[1].rotationKeys[1].y = std::nanf(""); }},
        {finite,
         [](MS3D& m) { m.joints[2].position[0] = -std::numeric_limits<float>::infinity(); }},
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
    // Accepted: a group without a material (-1) is drawn untextured; the frame rates at both ends.
    MS3D m = SampleModel();
    m.groups[1].materialIndex = -1;
    for (const float rate : {1.0f, 1000.0f}) {
        m.fps = rate;
        MS3D loaded;
        EXPECT_TRUE(LoadBytes(Bytes(m), uint32_t(Bytes(m).size()), &loaded)) << rate;
    }
}
