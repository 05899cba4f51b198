#include "assets/resfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <vector>

#include "assets/pack_writer.h"
#include "test_support.h"
#include "tests/support/hang_guard.h"

namespace {

// Three lumps: 5 bytes of kind 1 mode 2, 0 bytes of kind 9, 3 bytes of kind 3 mode -1.
std::vector<uint8_t> ThreeLumpPack() {
    PackWriter writer;
    writer.AddLump(1, 2, {1, 2, 3, 4, 5});
    writer.AddLump(9, 0, {});
    writer.AddLump(3, -1, {7, 8, 9});
    return writer.Build();
}

// `bytes` with the 32-bit field at `offset` set to `value`, and more fields after it.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, std::initializer_list<uint32_t> fields,
                             size_t offset) {
    for (uint32_t value : fields) PutLE32(bytes, (offset += 4) - 4, value);
    return bytes;
}

TEST(Resfile, AWrittenPackReadsBackLumpByLumpAndRefusesLumpsItHasNot) {
    RESFILE pack;
    ASSERT_TRUE(pack.Open(WriteTempFile("three.vlm", ThreeLumpPack()).c_str()));
    ASSERT_EQ(pack.LumpCount(), 3);
    for (const auto& [n, size] : {std::pair<int, uint32_t>{0, 5}, {1, 0}, {2, 3}, {3, 0}, {-1, 0}})
        EXPECT_EQ(pack.LumpSize(n), size) << n;
    EXPECT_EQ(LoadedLump(pack, 2), std::vector<uint8_t>({7, 8, 9}));
    EXPECT_EQ(LoadedLump(pack, 1), std::vector<uint8_t>()) << "an empty lump is an empty buffer";
    // A reader that runs off the end of the file must not spoil later seeks.
    ASSERT_TRUE(pack.SeekLump(2));
    char tail[10];
    EXPECT_FALSE(pack.stream.read(tail, 10));
    ASSERT_TRUE(pack.SeekLump(0));
    EXPECT_EQ(pack.stream.get(), 1);
    // Lumps it has not are refused without moving.
    EXPECT_FALSE(pack.SeekLump(3));
    EXPECT_FALSE(pack.SeekLump(-1));
    EXPECT_EQ(pack.stream.get(), 2);
    EXPECT_FALSE(LoadedLump(pack, 3));
    pack.Close();
    pack.Close();
    EXPECT_FALSE(pack.SeekLump(0));
    EXPECT_EQ(pack.LumpCount(), 0);
}

// Each way a pack can be unusable is refused at Open, without blocking, with the reason in words;
// a lump outside the file is refused when read, the others stay readable.
TEST(Resfile, DamagedPacksAreRefusedWithTheirReason) {
    const std::vector<uint8_t> good = ThreeLumpPack();
    std::vector<uint8_t> sealed = good, extended = good, magic = good;
    extended.push_back(0);
    sealed.push_back(0);
    SetPackLength(sealed);  // longer is fine once the length field agrees
    magic[3] = 'B';
    // The directory may also sit at the end of the file.
    std::vector<uint8_t> moved = good;
    moved.insert(moved.end(), good.begin() + kPackHeaderSize,
                 good.begin() + kPackHeaderSize + 3 * kPackEntrySize);
    PutLE32(moved, 20, uint32_t(good.size()));
    SetPackLength(moved);
    const uint32_t length = uint32_t(good.size());
    const size_t last = kPackHeaderSize + 2 * kPackEntrySize;  // lump 2, the last 3 bytes

    test_files::ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder / "fifo.vlm").c_str(), 0600), 0);  // would block a plain open
    std::filesystem::create_symlink(folder / "loop.vlm", folder / "loop.vlm");
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling.vlm");
    test_files::WriteText(folder / "huge.vlm", "VLMA");  // sparse: costs no disk
    ASSERT_EQ(truncate((folder / "huge.vlm").c_str(), kMaxPackSize + 1), 0);
    const std::string no_directory = "is damaged: its directory lies outside the file";
    const std::string outside = "is damaged: its lump 2 lies outside the file";
    const struct {
        std::string path;
        std::string reason;  // empty: opens, and lump 2 reads
    } cases[] = {
        {WriteTempFile("good.vlm", good), ""},
        {WriteTempFile("empty.vlm", PackWriter().Build()), ""},
        {WriteTempFile("sealed.vlm", sealed), ""},
        {WriteTempFile("moved.vlm", moved), ""},
        {WriteTempFile("edge.vlm", Patched(good, {0, length}, last)), ""},
        {folder / "absent.vlm", "does not exist"},
        {folder / "fifo.vlm", "is not a regular file"},
        {folder.Path(), "is a folder, not a file"},
        {folder / "loop.vlm", "is a loop of symbolic links"},
        {folder / "dangling.vlm", "does not exist"},
        {folder / "huge.vlm", "is larger than 256 MB"},
        {WriteTempFile("magic.vlm", magic), "is not a valid resource pack"},
        {WriteTempFile("extended.vlm", extended),
         "is damaged: its length differs from the one its header gives"},
        {WriteTempFile("short.vlm", std::vector<uint8_t>(good.begin(), good.begin() + 23)),
         "is not a valid resource pack (too short for its header)"},
        // A count whose 28-byte entries wrap 32 bits to 4 bytes.
        {WriteTempFile("wrap.vlm", Patched(good, {0x24924925u}, 12)), no_directory},
        {WriteTempFile("at-end.vlm", Patched(good, {length}, 20)), no_directory},
        {WriteTempFile("far.vlm", Patched(good, {0xfffffff0u}, 20)), no_directory},
        {WriteTempFile("long.vlm", Patched(good, {4, length - 3}, last)), outside},
        {WriteTempFile("wraps.vlm", Patched(good, {0x20, 0xfffffff0u}, last)), outside},
        {WriteTempFile("huge.vlm", Patched(good, {0xffffffffu, 1}, last)), outside},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        HangGuard guard(10);
        RESFILE pack;
        const bool opens = c.reason.empty() || c.reason == outside;
        ASSERT_EQ(pack.Open(c.path.c_str()), opens) << pack.Problem();
        if (opens && pack.LumpCount() == 3) {
            EXPECT_EQ(LoadedLump(pack, 2).has_value(), c.reason.empty());
            EXPECT_EQ(pack.SeekLump(2), c.reason.empty());
            EXPECT_TRUE(LoadedLump(pack, 0)) << "the other lumps stay readable";
        }
        EXPECT_EQ(pack.Problem(), c.reason);
    }
    RESFILE none;
    EXPECT_FALSE(none.Open(nullptr));
}

TEST(PackWriter, WritesThroughATemporaryFileAndReportsFailure) {
    PackWriter writer;
    EXPECT_EQ(writer.AddLump(1, 0, {1}), 0);
    EXPECT_EQ(writer.AddLump(3, 1, {2, 3}), 1);
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
