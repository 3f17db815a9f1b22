#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/replacing_file.h"
#include "tests/support/files.h"

using platform::CFileException;
using platform::replacing_file;

namespace {

const std::vector<std::uint8_t> kOld = {'o', 'l', 'd', '\n'};

std::size_t entries_in(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

}  // namespace

// The target changes only on Commit; every way of giving up leaves it and the folder as they were.
TEST(ReplacingFile, TargetChangesOnlyOnCommit) {
    test_support::temp_dir dir;
    const std::string target = dir.file("map.kxr");
    test_support::write_bytes(target, kOld);

    {
        replacing_file file;
        ASSERT_TRUE(file.Create(target));
        file.Write("half a map", 10);
        EXPECT_EQ(test_support::read_bytes(target), kOld);
    }  // dropped unfinished, as when a writer throws
    EXPECT_EQ(test_support::read_bytes(target), kOld);
    EXPECT_EQ(entries_in(dir.path()), 1u);

    replacing_file file;
    ASSERT_TRUE(file.Create(target));
    file.Write("new", 3);
    file.Discard();
    EXPECT_EQ(test_support::read_bytes(target), kOld);
    EXPECT_EQ(entries_in(dir.path()), 1u);

    ASSERT_TRUE(file.Create(target));
    file.Write("new", 3);
    file.Commit();
    EXPECT_EQ(test_support::read_bytes(target), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(entries_in(dir.path()), 1u);

    // A new name is created the same way.
    std::string error;
    ASSERT_TRUE(platform::write_whole_file(dir.file("fresh.png"), "abc", 3, error)) << error;
    EXPECT_EQ(test_support::read_bytes(dir.file("fresh.png")).size(), 3u);
}

// Through a link, the file it names is replaced and the link stays a link.
TEST(ReplacingFile, WritesThroughALink) {
    test_support::temp_dir dir;
    std::filesystem::create_directory(dir.file("real"));
    const std::string real = dir.file("real/out.bmp");
    test_support::write_bytes(real, kOld);
    std::filesystem::create_symlink(real, dir.file("link.bmp"));

    std::string error;
    ASSERT_TRUE(platform::write_whole_file(dir.file("link.bmp"), "xy", 2, error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.bmp")));
    EXPECT_EQ(test_support::read_bytes(real), (std::vector<std::uint8_t>{'x', 'y'}));
    EXPECT_EQ(entries_in(dir.file("real")), 1u);
}

// Failures are reported with their cause and leave nothing behind.
TEST(ReplacingFile, FailuresSayWhy) {
    test_support::temp_dir dir;
    std::string error;
    EXPECT_FALSE(platform::write_whole_file(dir.file("no/such/folder/x.png"), "a", 1, error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(platform::write_whole_file(dir.path(), "a", 1, error));

    // A full device takes nothing, and says so; a link to it is written through too.
    if (::access("/dev/full", W_OK) == 0) {
        const std::vector<std::uint8_t> block(1 << 16, 7);
        EXPECT_FALSE(platform::write_whole_file("/dev/full", block.data(), block.size(), error));
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
        std::filesystem::create_symlink("/dev/full", dir.file("full.png"));
        EXPECT_FALSE(platform::write_whole_file(dir.file("full.png"), block.data(), block.size(), error));
        EXPECT_TRUE(std::filesystem::is_symlink(dir.file("full.png")));
        EXPECT_EQ(entries_in(dir.path()), 1u);
    }
}
