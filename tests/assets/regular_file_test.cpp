#include "assets/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/test_files.h"

namespace {

using test_files::ScratchFolder;

// Each kind of outside file that must never be read, with the reason the user is given.
TEST(RegularFile, RefusesWhatIsNotASmallRegularFileWithoutBlocking) {
    ScratchFolder folder;
    test_files::WriteText(folder / "big", std::string(2048, 'x'));
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "dir");
    std::filesystem::create_symlink(folder / "loop", folder / "loop");
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling");

    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {folder / "fifo", "is not a regular file"},  // would block in open() without O_NONBLOCK
        {folder / "dir", "is a folder, not a file"},
        {folder / "loop", "is a loop of symbolic links"},
        {folder / "dangling", "does not exist"},
        {folder / "big", "is larger than 1 KB"},
        {"/dev/zero", "is not a regular file"},
    };
    for (const auto& c : cases) {
        RegularFile file;
        std::string reason;
        EXPECT_FALSE(file.Open(c.path.c_str(), 1024, reason)) << c.path;
        EXPECT_EQ(reason, c.reason) << c.path;
        EXPECT_FALSE(file.IsOpen());
    }
}

TEST(RegularFile, ReadsTheFileItCheckedAlsoThroughItsDescriptorPath) {
    ScratchFolder folder;
    test_files::WriteText(folder / "pack", "VLMA and more");
    RegularFile file;
    std::string reason;
    ASSERT_TRUE(file.Open((folder / "pack").c_str(), 1024, reason)) << reason;
    EXPECT_EQ(file.Size(), 13u);
    // Renamed after the check: the descriptor still names the checked file.
    std::filesystem::rename(folder / "pack", folder / "moved");
    EXPECT_EQ(test_files::ReadText(file.DescriptorPath()), "VLMA and more");
    std::string bytes;
    ASSERT_TRUE(file.ReadAll(bytes, reason));
    EXPECT_EQ(bytes, "VLMA and more");
}

TEST(RegularFile, DescribesSizesForMessages) {
    EXPECT_EQ(DescribeBytes(512), "512 bytes");
    EXPECT_EQ(DescribeBytes(64ull << 20), "64 MB");
    EXPECT_EQ(DescribeBytes(3ull << 29), "1.5 GB");
}

}  // namespace
