#include "assets/regular_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_files.h"

namespace {

// The refusals (links, FIFOs, folders, sizes) show through the pack reader's tests.
TEST(RegularFile, ReadsTheFileItCheckedAlsoThroughItsDescriptorPath) {
    test_files::ScratchFolder folder;
    test_files::WriteText(folder / "pack", "VLMA and more");
    RegularFile file;
    std::string reason;
    EXPECT_FALSE(file.Open((folder / "pack").c_str(), 12, reason));
    EXPECT_EQ(reason, "is larger than 12 bytes");
    ASSERT_TRUE(file.Open((folder / "pack").c_str(), 13, reason)) << reason;
    EXPECT_EQ(file.Size(), 13u);
    // Renamed after the check: the descriptor still names the checked file.
    std::filesystem::rename(folder / "pack", folder / "moved");
    EXPECT_EQ(test_files::ReadText(file.DescriptorPath()), "VLMA and more");
    std::string bytes;
    ASSERT_TRUE(file.ReadAll(bytes, reason));
    EXPECT_EQ(bytes, "VLMA and more");
}

}  // namespace
