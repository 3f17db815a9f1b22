#include <gtest/gtest.h>

#include "platform/archive.h"
#include "platform/file.h"
#include "platform/mem_file.h"
#include "tests/support/files.h"

using platform::CArchive;
using platform::CArchiveException;
using platform::CFile;
using platform::CMemFile;

namespace {

std::vector<std::uint8_t> stored(void (*write)(CArchive&)) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
    return file.Detach();
}

}  // namespace

TEST(Archive, PrimitivesAreLittleEndianWithNothingBetween) {
    EXPECT_EQ(stored([](CArchive& ar) { ar << std::int32_t{2001}; }),
              (std::vector<std::uint8_t>{0xD1, 0x07, 0x00, 0x00}));
    EXPECT_EQ(stored([](CArchive& ar) { ar << 1.0; }),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(stored([](CArchive& ar) {
                  ar << std::int32_t{-1};
                  ar.Write("ab", 2);
                  ar.WriteZeros(3);
                  ar << std::uint32_t{0x01020304};
              }),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 0, 0, 0, 4, 3, 2, 1}));
}

TEST(Archive, StartsAtTheFilePositionAndLeavesTheFileAfterTheLastByte) {
    test_support::temp_dir dir;
    const std::string path = dir.file("host.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        std::vector<std::uint8_t> filler(1000, 0xAA);
        file.Write(filler.data(), filler.size());
        CArchive ar(&file, CArchive::store, 16);
        // More than one buffer's worth, so flushing in the middle is exercised.
        for (std::int32_t i = 0; i < 100; ++i) ar << i;
        ar.Close();
        EXPECT_EQ(file.GetPosition(), 1400u);
    }
    auto bytes = test_support::read_bytes(path);
    ASSERT_EQ(bytes.size(), 1400u);
    EXPECT_EQ(bytes[999], 0xAA);
    EXPECT_EQ(bytes[1000], 0);
    EXPECT_EQ(bytes[1004], 1);

    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead | CFile::shareDenyNone));
    file.Seek(1000, CFile::begin);
    CArchive ar(&file, CArchive::load);
    std::int32_t first, second;
    ar >> first >> second;
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    // The archive read ahead; closing gives back what was not used.
    ar.Close();
    EXPECT_EQ(file.GetPosition(), 1008u);
}

TEST(Archive, ValuesPastTheEndAreAnEndOfFileErrorButRawReadsAreShort) {
    const std::uint8_t bytes[6] = {1, 0, 0, 0, 9, 9};
    CMemFile file(bytes, sizeof bytes);
    CArchive ar(&file, CArchive::load);
    std::int32_t value;
    ar >> value;
    EXPECT_EQ(value, 1);
    try {
        ar >> value;
        FAIL() << "reading past the end did not fail";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    std::uint8_t raw[10];
    EXPECT_EQ(ar.Read(raw, sizeof raw), 2u);
    EXPECT_EQ(raw[0], 9);
    EXPECT_THROW(ar.Skip(1), CArchiveException);
}

TEST(Archive, LargeRawBlocksRoundTripAroundTheBuffer) {
    std::vector<std::uint8_t> block(10000);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i % 251);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store, 64);
        ar << 3.5;
        ar.Write(block.data(), block.size());
        ar << std::int32_t{77};
        ar.Close();
    }
    EXPECT_EQ(file.GetLength(), 8u + 10000u + 4u);
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load, 64);
    double d;
    std::vector<std::uint8_t> back(block.size());
    std::int32_t tail;
    ar >> d;
    EXPECT_EQ(ar.Read(back.data(), back.size()), back.size());
    ar >> tail;
    EXPECT_EQ(d, 3.5);
    EXPECT_EQ(back, block);
    EXPECT_EQ(tail, 77);
}

TEST(Archive, ModeMismatchIsAnArchiveError) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    std::int32_t v;
    EXPECT_THROW(ar >> v, CArchiveException);
}
