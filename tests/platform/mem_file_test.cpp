#include <gtest/gtest.h>

#include <cstring>

#include "platform/mem_file.h"

using platform::CFile;
using platform::CFileException;
using platform::CMemFile;

TEST(MemFile, GrowsAndDetaches) {
    CMemFile file(16);
    std::vector<std::uint8_t> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    for (std::size_t i = 0; i < data.size(); i += 10) file.Write(&data[i], 10);
    EXPECT_EQ(file.GetLength(), 1000u);
    EXPECT_TRUE(file.GetFilePath().empty());
    file.SeekToBegin();
    std::vector<std::uint8_t> back(1000);
    EXPECT_EQ(file.Read(back.data(), 2000), 1000u);
    EXPECT_EQ(back, data);
    EXPECT_EQ(file.Detach(), data);
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST(MemFile, SeekPastTheEndOfAGrowableFileLeavesZeros) {
    CMemFile file;
    file.Seek(5, CFile::begin);
    file.Write("x", 1);
    auto bytes = file.Detach();
    ASSERT_EQ(bytes.size(), 6u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(bytes[5], 'x');
}

TEST(MemFile, FixedBufferIsWrittenInPlaceAndNeverGrows) {
    std::uint8_t buffer[8] = {};
    CMemFile file(buffer, sizeof buffer);
    EXPECT_EQ(file.GetLength(), 8u);
    file.Write("abcdef", 6);
    EXPECT_EQ(std::memcmp(buffer, "abcdef", 6), 0);
    EXPECT_THROW(file.Write("xyz", 3), CFileException);
    EXPECT_THROW(file.Seek(9, CFile::begin), CFileException);
}

TEST(MemFile, ReadOnlyBytesRefuseWrites) {
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    CMemFile file(bytes, sizeof bytes);
    std::uint8_t got[4];
    EXPECT_EQ(file.Read(got, 4), 4u);
    EXPECT_EQ(got[3], 4);
    try {
        file.Write("a", 1);
        FAIL() << "a read-only memory file accepted a write";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::accessDenied);
    }
    EXPECT_THROW(file.Seek(-1, CFile::begin), CFileException);
}
