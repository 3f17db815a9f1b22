#include <gtest/gtest.h>

#include <algorithm>

#include "platform/buffered_file.h"
#include "platform/file.h"
#include "tests/support/files.h"

using platform::CFile;
using platform::CFileException;

TEST(File, OpenFailureAnswersFalseWithCause) {
    test_support::temp_dir dir;
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(dir.file("missing.bin"), CFile::modeRead | CFile::shareDenyNone, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(file.IsOpen());
    // A directory is not a file to read.
    EXPECT_FALSE(file.Open(dir.path(), CFile::modeRead, &error));
}

TEST(File, WriteSeekReadAndNames) {
    test_support::temp_dir dir;
    const std::string path = dir.file("data.bin");
    {
        CFile out;
        ASSERT_TRUE(out.Open(path, CFile::modeCreate | CFile::modeWrite));
        out.Write("0123456789", 10);
        EXPECT_EQ(out.GetPosition(), 10u);
        EXPECT_EQ(out.GetFileName(), "data.bin");
        EXPECT_EQ(out.GetFilePath(), path);
    }
    CFile in;
    ASSERT_TRUE(in.Open(path, CFile::modeRead | CFile::shareDenyNone));
    EXPECT_EQ(in.GetLength(), 10u);
    EXPECT_EQ(in.Seek(4, CFile::begin), 4u);
    EXPECT_EQ(in.Seek(2, CFile::current), 6u);
    char buf[8] = {};
    // A read at the end answers the bytes there were, without an error.
    EXPECT_EQ(in.Read(buf, sizeof buf), 4u);
    EXPECT_EQ(std::string(buf, 4), "6789");
    EXPECT_EQ(in.Read(buf, sizeof buf), 0u);
    EXPECT_THROW(in.Seek(-100, CFile::current), CFileException);
}

TEST(File, CreateTruncatesAnExistingFile) {
    test_support::temp_dir dir;
    const std::string path = dir.file("t.bin");
    test_support::write_bytes(path, std::vector<std::uint8_t>(100, 7));
    CFile out;
    ASSERT_TRUE(out.Open(path, CFile::modeCreate | CFile::modeWrite));
    out.Write("ab", 2);
    out.Close();
    EXPECT_EQ(test_support::read_bytes(path).size(), 2u);
}

TEST(File, OperationsOnAClosedFileThrow) {
    CFile file;
    char c;
    EXPECT_THROW(file.Read(&c, 1), CFileException);
    EXPECT_THROW(file.Write(&c, 1), CFileException);
    EXPECT_THROW(file.GetLength(), CFileException);
}

TEST(BufferedFile, ReadsTheSameBytesAsThePlainFileWhateverTheSeeks) {
    test_support::temp_dir dir;
    std::vector<std::uint8_t> bytes(10000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 8));
    test_support::write_bytes(dir.file("data.bin"), bytes);

    platform::CBufferedFile file(256);
    ASSERT_TRUE(file.Open(dir.file("data.bin"), CFile::modeRead | CFile::shareDenyNone));
    EXPECT_EQ(file.GetFileName(), "data.bin");
    EXPECT_EQ(file.GetLength(), 10000u);
    std::uint32_t state = 1;
    for (int round = 0; round < 500; ++round) {
        state = state * 1103515245u + 12345u;
        const std::uint64_t at = (state >> 8) % 10100;  // sometimes past the end
        const std::size_t count = (state >> 3) % 700;   // sometimes more than the buffer
        EXPECT_EQ(file.Seek(static_cast<std::int64_t>(at), CFile::begin), at);
        std::vector<std::uint8_t> got(count);
        const std::size_t n = file.Read(got.data(), count);
        const std::size_t expected = at >= bytes.size() ? 0 : std::min<std::size_t>(count, bytes.size() - at);
        ASSERT_EQ(n, expected) << at << " " << count;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(n), bytes.begin() + static_cast<long>(std::min<std::uint64_t>(at, bytes.size()))));
        EXPECT_EQ(file.GetPosition(), at + n);
    }
    EXPECT_THROW(file.Seek(-1, CFile::begin), CFileException);
    EXPECT_THROW(file.Write("x", 1), CFileException);
    EXPECT_FALSE(platform::CBufferedFile().Open(dir.file("new.bin"), CFile::modeCreate | CFile::modeWrite));
}
