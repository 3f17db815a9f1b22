#include <gtest/gtest.h>

#include <random>

#include "formats/dbf.h"
#include "tests/formats/dbf_builders.h"
#include "tests/support/files.h"
#include "tests/support/settings_sandbox.h"

using dbf_test::table_bytes;

namespace {

class DbfBadInput : public ::testing::Test {
protected:
    std::string save(const std::vector<std::uint8_t>& bytes, const std::string& name = "t.dbf") {
        const std::string path = dir.file(name);
        test_support::write_bytes(path, bytes);
        return path;
    }

    // Reads every record the table says it has, as the point layer does.
    static void walk(CDBF& table) {
        table.MoveFirst();
        for (std::uint32_t k = 1; k < table.GetRecordCount(); ++k)
            EXPECT_EQ(table.MoveNext().size(), static_cast<std::size_t>(table.GetFieldCount()));
    }

    test_support::settings_sandbox settings;
    test_support::temp_dir dir;
};

table_bytes three_records() {
    table_bytes t;
    t.fields = {{"NAME", 'C', 6}, {"N", 'N', 4}, {"D", 'D', 8}};
    t.records = {"first    1 20200115", "second   2 20200116", "third    3 20200117"};
    return t;
}

double number_of(const std::vector<CDBFValue>& v) { return v.at(1).m_dValue; }

}  // namespace

// Cut anywhere, a table either fails to open (its header is incomplete) or opens with the
// complete records before the cut.
TEST_F(DbfBadInput, ATruncatedTableGivesTheCompleteRecordsBeforeTheCut) {
    const std::vector<std::uint8_t> whole = three_records().build();
    const std::size_t header_length = 32 + 3 * 32 + 1;
    const std::size_t record_length = 1 + 6 + 4 + 8;
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        const std::string path = save({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)});
        CDBF table;
        const unsigned result = table.Open(path);
        if (size < header_length) {
            EXPECT_EQ(result, 1u) << size;
            continue;
        }
        ASSERT_EQ(result, 0u) << size;
        const auto complete = static_cast<std::uint32_t>(std::min<std::size_t>(3, (size - header_length) / record_length));
        EXPECT_EQ(table.GetRecordCount(), complete) << size;
        EXPECT_EQ(table.GetHeaderRecordCount(), 3u);
        walk(table);
        if (complete > 0) {
            EXPECT_EQ(number_of(table.MoveTo(complete)), complete);
        }
    }
}

TEST_F(DbfBadInput, RecordCountsTheFileDoesNotHoldAreNotBelieved) {
    // Counts of 2^31 and more too: the count is unsigned, whatever shapelib keeps of it.
    for (std::int64_t claimed : {4LL, 1000000LL, 0x7FFFFFFFLL, 0x80000000LL, 0x80000001LL, 0xFFFFFFFFLL}) {
        table_bytes t = three_records();
        t.header_records = claimed;
        CDBF table;
        ASSERT_EQ(table.Open(save(t.build())), 0u) << claimed;
        EXPECT_EQ(table.GetRecordCount(), 3u);
        EXPECT_EQ(table.GetHeaderRecordCount(), static_cast<std::uint32_t>(claimed));
        EXPECT_EQ(number_of(table.MoveTo(static_cast<std::uint32_t>(claimed))), 3);
    }
    // Fewer than there are: the header is the writer's word on where the table ends.
    table_bytes t = three_records();
    t.header_records = 2;
    CDBF table;
    ASSERT_EQ(table.Open(save(t.build())), 0u);
    EXPECT_EQ(table.GetRecordCount(), 2u);
}

TEST_F(DbfBadInput, HeadersThatCannotDescribeTheFileFailToOpen) {
    const auto fails = [&](table_bytes t, const char* what) {
        CDBF table;
        EXPECT_EQ(table.Open(save(t.build())), 1u) << what;
        EXPECT_EQ(table.GetFieldCount(), 0) << what;
    };
    table_bytes t = three_records();
    t.header_length = 31;
    fails(t, "header shorter than its fixed part");
    t = three_records();
    t.header_length = 0xFFFF;
    fails(t, "header longer than the file");
    t = three_records();
    t.record_length = 0;
    fails(t, "records of no length");
    t = three_records();
    t.record_length = 10;
    fails(t, "fields running past the end of the record");
    t = three_records();
    t.fields.push_back({"WIDE", 'C', 255});
    t.record_length = 1 + 6 + 4 + 8;
    fails(t, "a field declared past the record");
}

TEST_F(DbfBadInput, FieldDescriptorsEndAtTheTerminatorOrTheHeaderEnd) {
    // A header length that promises more descriptors than precede the terminator, with
    // padding after it (as some writers leave room there).
    table_bytes padded = three_records();
    padded.bytes_after_descriptors = 1 + 263;
    CDBF table;
    ASSERT_EQ(table.Open(save(padded.build())), 0u);
    EXPECT_EQ(table.GetFieldCount(), 3);
    EXPECT_EQ(table.GetRecordCount(), 3u);
    EXPECT_EQ(number_of(table.MoveTo(2)), 2);
    EXPECT_EQ(table.MoveTo(2)[0].m_strValue, u"second");

    // No terminator at all: the header length alone bounds the descriptors.
    table_bytes bare = three_records();
    bare.bytes_after_descriptors = 0;
    ASSERT_EQ(table.Open(save(bare.build())), 0u);
    EXPECT_EQ(table.GetFieldCount(), 3);
    EXPECT_EQ(number_of(table.MoveTo(3)), 3);
}

TEST_F(DbfBadInput, ValuesThatAreNotOfTheirFieldsKindAreNoValue) {
    table_bytes t;
    t.fields = {{"N", 'N', 8}, {"D", 'D', 8}, {"L", 'L', 1}, {"C", 'C', 4}};
    t.records = {"********20201301X    ", "1,5     2020O115?    ", "abc     00000000 \0\0\0\0"};
    t.records[2].resize(21, '\0');
    CDBF table;
    ASSERT_EQ(table.Open(save(t.build())), 0u);
    for (std::uint32_t k = 1; k <= 3; ++k) {
        const auto& v = table.MoveTo(k);
        for (const auto& value : v) EXPECT_EQ(value.m_nKind, CDBF::kindNone) << k;
    }
}

TEST_F(DbfBadInput, MissingAndNonTableFilesFailToOpen) {
    CDBF table;
    EXPECT_EQ(table.Open(dir.file("missing.dbf")), 1u);
    EXPECT_EQ(table.Open(dir.path()), 1u);
    EXPECT_EQ(table.Open(save({})), 1u);
    EXPECT_EQ(table.Open(save({'h', 'e', 'l', 'l', 'o'})), 1u);
}

// Random bytes, and valid tables with random bytes written over them: whatever opens can
// be read to its end.
TEST_F(DbfBadInput, GarbageNeverBreaksTheReader) {
    std::mt19937 random(20240229);
    const std::vector<std::uint8_t> valid = three_records().build();
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> bytes;
        if (round % 2) {
            bytes.resize(random() % 600);
            for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        } else {
            bytes = valid;
            for (int hits = 0; hits < 1 + static_cast<int>(random() % 6); ++hits)
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        CDBF table;
        if (table.Open(save(bytes)) != 0) continue;
        walk(table);
        table.MovePrev();
        table.MoveTo(0xFFFFFFFFu);
    }
}

// A .cpg file that holds no code page's name (a binary file, a long line) names none: the
// table falls back to its language driver, and the bytes are never shown as a name.
TEST_F(DbfBadInput, CodePageFilesThatNameNothingAreIgnored) {
    table_bytes t = three_records();
    t.language_driver = 0xC9;
    const std::string path = save(t.build());
    const std::vector<std::vector<std::uint8_t>> cpgs = {
        std::vector<std::uint8_t>(5000, 0xFF), std::vector<std::uint8_t>(300, 'A'), {'-', '-'}, {'(', ')'}, {0}};
    for (const auto& cpg : cpgs) {
        test_support::write_bytes(dir.file("t.cpg"), cpg);
        CDBF table;
        ASSERT_EQ(table.Open(path), 0u);
        EXPECT_EQ(table.GetCodePage(), "CP1251") << cpg.size();
        EXPECT_EQ(table.MoveTo(1)[0].m_strValue, u"first");
    }
}
