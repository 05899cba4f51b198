#include "assets/resfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "assets/pack_writer.h"
#include "test_support.h"
#include "tests/support/hang_guard.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

// A pack of three lumps: 5 bytes of kind 1 mode 2, 0 bytes of kind 9, 3 bytes of kind 3 mode -1.
std::vector<uint8_t> ThreeLumpPack() {
    PackWriter writer;
    writer.AddLump(1, 2, Bytes({1, 2, 3, 4, 5}));
    writer.AddLump(9, 0, {});
    writer.AddLump(3, -1, Bytes({7, 8, 9}));
    return writer.Build();
}

constexpr size_t kFirstEntry = kPackHeaderSize;

bool Opens(const std::vector<uint8_t>& pack, const char* name) {
    RESFILE file;
    return file.Open(WriteTempFile(name, pack).c_str());
}

TEST(Resfile, AWrittenPackReadsBackLumpByLump) {
    const std::vector<uint8_t> bytes = ThreeLumpPack();
    RESFILE pack;
    ASSERT_TRUE(pack.Open(WriteTempFile("three.vlm", bytes).c_str()));
    EXPECT_EQ(pack.fileLength, bytes.size());
    ASSERT_EQ(pack.LumpCount(), 3);
    EXPECT_EQ(pack.directory[2].kind, 3u);
    EXPECT_EQ(pack.directory[2].mode, -1);
    const std::pair<int, uint32_t> sizes[] = {{0, 5}, {1, 0}, {2, 3}, {3, 0}, {-1, 0}};
    for (const auto& size : sizes) EXPECT_EQ(pack.LumpSize(size.first), size.second) << size.first;

    EXPECT_EQ(LoadedLump(pack, 2), Bytes({7, 8, 9}));
    EXPECT_EQ(LoadedLump(pack, 1), std::vector<uint8_t>()) << "an empty lump is an empty buffer";

    // Lumps are read straight from the stream after a seek, in any order.
    ASSERT_TRUE(pack.SeekLump(0));
    char first[5];
    pack.stream.read(first, 5);
    EXPECT_EQ(std::memcmp(first, "\x01\x02\x03\x04\x05", 5), 0);
    // A reader that runs off the end of the file must not spoil later seeks.
    ASSERT_TRUE(pack.SeekLump(2));
    char tail[10];
    pack.stream.read(tail, 10);
    EXPECT_TRUE(pack.stream.fail());
    ASSERT_TRUE(pack.SeekLump(0));
    EXPECT_EQ(pack.stream.get(), 1);
}

TEST(Resfile, LumpNumbersOutsideTheDirectoryAreRefusedWithoutMoving) {
    RESFILE pack;
    ASSERT_TRUE(pack.Open(WriteTempFile("range.vlm", ThreeLumpPack()).c_str()));
    ASSERT_TRUE(pack.SeekLump(2));
    const auto position = pack.stream.tellg();
    EXPECT_FALSE(pack.SeekLump(3));
    EXPECT_FALSE(pack.SeekLump(-1));
    EXPECT_EQ(pack.stream.tellg(), position);
    void* data = reinterpret_cast<void*>(0x1);
    EXPECT_FALSE(pack.LoadData(3, &data));
    EXPECT_FALSE(pack.LoadData(-1, &data));
    EXPECT_EQ(data, reinterpret_cast<void*>(0x1));

    pack.Close();
    pack.Close();
    EXPECT_EQ(pack.directory, nullptr);
    EXPECT_FALSE(pack.stream.is_open());
    EXPECT_FALSE(pack.SeekLump(0));
    EXPECT_EQ(pack.LumpCount(), 0);

    // The same reader opens another pack afterwards.
    PackWriter writer;
    writer.AddLump(1, 0, Bytes({42}));
    ASSERT_TRUE(pack.Open(WriteTempFile("second.vlm", writer.Build()).c_str()));
    EXPECT_EQ(pack.LumpCount(), 1);
}

// Each way a pack can be unusable is refused at Open, without blocking, with the reason in words.
TEST(Resfile, DamagedPacksAreRefusedAtOpenWithTheirReason) {
    const std::vector<uint8_t> good = ThreeLumpPack();
    EXPECT_TRUE(Opens(good, "good.vlm"));
    const std::vector<uint8_t> empty = PackWriter().Build();  // a pack of no lumps is a pack
    EXPECT_EQ(empty.size(), kPackHeaderSize);
    EXPECT_TRUE(Opens(empty, "empty.vlm"));
    std::vector<uint8_t> extended = good;
    extended.push_back(0);
    std::vector<uint8_t> sealed = extended;  // either is fine once the length field agrees
    SetPackLength(sealed);
    EXPECT_TRUE(Opens(sealed, "extended-sealed.vlm"));
    std::vector<uint8_t> magic = good;
    magic[3] = 'B';

    test_files::ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder / "fifo.vlm").c_str(), 0600), 0);  // would block a plain open
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {folder / "absent.vlm", "does not exist"},
        {folder / "fifo.vlm", "is not a regular file"},
        {folder.Path(), "is a folder, not a file"},
        {WriteTempFile("magic.vlm", magic), "is not a valid resource pack"},
        {WriteTempFile("extended.vlm", extended),
         "is damaged: its length differs from the one its header gives"},
        {WriteTempFile("truncated.vlm", std::vector<uint8_t>(good.begin(), good.end() - 1)),
         "is damaged: its length differs from the one its header gives"},
        {WriteTempFile("short.vlm", std::vector<uint8_t>(good.begin(), good.begin() + 23)),
         "is not a valid resource pack (too short for its header)"},
        {WriteTempFile("nothing.vlm", {}),
         "is not a valid resource pack (too short for its header)"},
    };
    for (const auto& c : cases) {
        HangGuard guard(10);
        RESFILE pack;
        EXPECT_FALSE(pack.Open(c.path.c_str())) << c.path;
        EXPECT_EQ(pack.Problem(), c.reason) << c.path;
        EXPECT_FALSE(pack.SeekLump(0));
    }
    RESFILE none;
    EXPECT_FALSE(none.Open(nullptr));
}

TEST(Resfile, ADirectoryOutsideTheFileIsRefusedBeforeItIsAllocated) {
    const std::vector<uint8_t> good = ThreeLumpPack();
    // Counts far too large, including 0x24924925 whose 28-byte entries wrap 32 bits to 4 bytes.
    for (uint32_t count : {4u, 1000u, 0x24924925u, 0xffffffffu}) {
        std::vector<uint8_t> bytes = good;
        PutLE32(bytes, 12, count);
        EXPECT_FALSE(Opens(bytes, "count.vlm")) << count;
    }
    for (uint32_t offset : {static_cast<uint32_t>(good.size()), 40u, 0xfffffff0u}) {
        std::vector<uint8_t> bytes = good;
        PutLE32(bytes, 20, offset);
        EXPECT_FALSE(Opens(bytes, "offset.vlm")) << offset;
    }
    // The directory may also sit at the end of the file.
    std::vector<uint8_t> moved = good;
    const std::vector<uint8_t> directory(good.begin() + kFirstEntry,
                                         good.begin() + kFirstEntry + 3 * kPackEntrySize);
    moved.insert(moved.end(), directory.begin(), directory.end());
    PutLE32(moved, 20, static_cast<uint32_t>(good.size()));
    SetPackLength(moved);
    RESFILE pack;
    ASSERT_TRUE(pack.Open(WriteTempFile("moved.vlm", moved).c_str()));
    EXPECT_EQ(pack.LumpSize(0), 5u);
}

TEST(Resfile, LumpsOutsideTheFileAreRefusedBySeekAndLoad) {
    const std::vector<uint8_t> good = ThreeLumpPack();
    const size_t entry = kFirstEntry + 2 * kPackEntrySize;  // lump 2, the last 3 bytes
    struct Case {
        uint32_t size, offset;
    };
    const uint32_t length = static_cast<uint32_t>(good.size());
    for (const Case c : {Case{4, length - 3}, Case{1, length}, Case{0x20, 0xfffffff0u},
                         Case{0xffffffffu, 1}, Case{length + 1, 0}}) {
        std::vector<uint8_t> bytes = good;
        PutLE32(bytes, entry, c.size);
        PutLE32(bytes, entry + 4, c.offset);
        RESFILE pack;
        ASSERT_TRUE(pack.Open(WriteTempFile("lump.vlm", bytes).c_str()));
        EXPECT_FALSE(pack.SeekLump(2)) << c.size << "@" << c.offset;
        EXPECT_EQ(pack.Problem(), "is damaged: its lump 2 lies outside the file");
        void* data = nullptr;
        EXPECT_FALSE(pack.LoadData(2, &data));
        EXPECT_EQ(data, nullptr);
        EXPECT_TRUE(LoadedLump(pack, 0)) << "the other lumps stay readable";
    }
    // A lump that ends exactly at the end of the file, and an empty one there, are fine.
    for (const Case c : {Case{3, length - 3}, Case{0, length}}) {
        std::vector<uint8_t> bytes = good;
        PutLE32(bytes, entry, c.size);
        PutLE32(bytes, entry + 4, c.offset);
        RESFILE pack;
        ASSERT_TRUE(pack.Open(WriteTempFile("edge.vlm", bytes).c_str()));
        EXPECT_TRUE(LoadedLump(pack, 2)) << c.size << "@" << c.offset;
    }
}

TEST(PackWriter, WritesThroughATemporaryFileAndReportsFailure) {
    PackWriter writer;
    EXPECT_EQ(writer.AddLump(1, 0, Bytes({1})), 0);
    EXPECT_EQ(writer.AddLump(3, 1, Bytes({2, 3})), 1);
    const std::string path = testing::TempDir() + "written.vlm";
    std::string error;
    ASSERT_TRUE(writer.WriteFile(path, &error)) << error;
    RESFILE pack;
    ASSERT_TRUE(pack.Open(path.c_str()));
    EXPECT_EQ(pack.LumpCount(), 2);
    EXPECT_FALSE(std::ifstream(path + ".tmp").is_open());

    EXPECT_FALSE(writer.WriteFile(testing::TempDir() + "no-such-folder/x.vlm", &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

}  // namespace
