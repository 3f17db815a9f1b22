#include <gtest/gtest.h>

#include "formats/dbf.h"
#include "tests/formats/dbf_builders.h"
#include "tests/support/files.h"
#include "tests/support/settings_sandbox.h"

using dbf_test::shapelib_table;

namespace {

class DbfRead : public ::testing::Test {
protected:
    test_support::settings_sandbox settings;
    test_support::temp_dir dir;
};

void expect_none(const CDBFValue& v) { EXPECT_EQ(v.m_nKind, CDBF::kindNone); }

void expect_number(const CDBFValue& v, double expected) {
    EXPECT_EQ(v.m_nKind, CDBF::kindNumber);
    EXPECT_EQ(v.m_dValue, expected);
}

void expect_text(const CDBFValue& v, const std::u16string& expected) {
    EXPECT_EQ(v.m_nKind, CDBF::kindText);
    EXPECT_EQ(v.m_strValue, expected);
}

void expect_date(const CDBFValue& v, double days) {
    EXPECT_EQ(v.m_nKind, CDBF::kindDate);
    EXPECT_EQ(v.m_dValue, days);
}

void expect_logical(const CDBFValue& v, std::int16_t expected) {
    EXPECT_EQ(v.m_nKind, CDBF::kindLogical);
    EXPECT_EQ(v.m_bValue, expected);
}

}  // namespace

TEST_F(DbfRead, EveryFieldTypeReadsBackValueByValueWithItsKind) {
    const std::string path = dir.file("every.dbf");
    {
        shapelib_table t(path);
        t.add("NAME", 'C', 20);
        t.add("COUNT", 'N', 10);
        t.add("AREA", 'N', 19, 6);
        t.add("RATIO", 'F', 12, 4);
        t.add("BORN", 'D', 8);
        t.add("ALIVE", 'L', 1);
        t.add("NOTE", 'M', 10);
        t.add("STAMP", 'T', 14);

        t.text(0, 0, "Alpha");
        t.number(0, 1, 42);
        t.number(0, 2, 12.5);
        t.number(0, 3, -0.0625);
        t.raw(0, 4, "20200115");
        t.raw(0, 5, "T");
        t.text(0, 6, "0000000001");
        t.text(0, 7, "20200115120000");

        for (int f = 0; f < 8; ++f) t.null(1, f);

        t.text(2, 0, "Omega fills 20 bytes");  // the field's whole width
        t.number(2, 1, -7);
        t.number(2, 2, 1e6);
        t.number(2, 3, 0.125);
        t.raw(2, 4, "18991230");
        t.raw(2, 5, "f");
    }

    CDBF table;
    ASSERT_EQ(table.Open(path), 0u);
    EXPECT_EQ(table.GetFieldCount(), 8);
    EXPECT_EQ(table.GetNames(),
              (std::vector<std::string>{"NAME", "COUNT", "AREA", "RATIO", "BORN", "ALIVE", "NOTE", "STAMP"}));
    EXPECT_EQ(table.GetKinds(), (std::vector<std::uint32_t>{2, 1, 1, 1, 3, 4, 0, 0}));
    EXPECT_EQ(table.GetTypes(), "CNNFDLMT");
    EXPECT_EQ(table.GetRecordCount(), 3u);
    EXPECT_EQ(table.GetHeaderRecordCount(), 3u);
    EXPECT_EQ(table.GetCurrent(), 1u);

    auto v = table.MoveFirst();
    ASSERT_EQ(v.size(), 8u);
    expect_text(v[0], u"Alpha");
    expect_number(v[1], 42);
    expect_number(v[2], 12.5);
    expect_number(v[3], -0.0625);
    expect_date(v[4], 43845);
    expect_logical(v[5], -1);
    expect_none(v[6]);  // other types are not interpreted
    expect_none(v[7]);

    v = table.MoveNext();
    ASSERT_EQ(v.size(), 8u);
    for (const auto& value : v) expect_none(value);

    v = table.MoveNext();
    expect_text(v[0], u"Omega fills 20 bytes");
    expect_number(v[1], -7);
    expect_number(v[2], 1e6);
    expect_number(v[3], 0.125);
    expect_date(v[4], 0);
    expect_logical(v[5], 0);
    EXPECT_EQ(table.GetCurrent(), 3u);
}

TEST_F(DbfRead, MovesWalkBothWaysAndStepOffTheEndsIntoNoValues) {
    const std::string path = dir.file("moves.dbf");
    {
        shapelib_table t(path);
        t.add("N", 'N', 4);
        for (int r = 0; r < 5; ++r) t.number(r, 0, r + 1);
    }
    CDBF table;
    ASSERT_EQ(table.Open(path), 0u);
    auto value_at = [](const std::vector<CDBFValue>& v) { return v.at(0).m_nKind ? v[0].m_dValue : -1.0; };

    EXPECT_EQ(value_at(table.MoveFirst()), 1);
    for (int k = 2; k <= 5; ++k) {
        EXPECT_EQ(value_at(table.MoveNext()), k);
        EXPECT_EQ(table.GetCurrent(), static_cast<std::uint32_t>(k));
    }
    // Past the last record there are no values, however often one moves on; one step
    // back is the last record again.
    EXPECT_EQ(value_at(table.MoveNext()), -1);
    EXPECT_EQ(table.GetCurrent(), 6u);
    EXPECT_EQ(value_at(table.MoveNext()), -1);
    EXPECT_EQ(table.GetCurrent(), 6u);
    EXPECT_EQ(value_at(table.MovePrev()), 5);

    EXPECT_EQ(value_at(table.MoveTo(3)), 3);
    EXPECT_EQ(table.GetCurrent(), 3u);
    EXPECT_EQ(value_at(table.MovePrev()), 2);
    EXPECT_EQ(value_at(table.MoveTo(99)), 5);
    EXPECT_EQ(table.GetCurrent(), 5u);
    EXPECT_EQ(value_at(table.MoveTo(0)), 1);
    EXPECT_EQ(table.GetCurrent(), 1u);

    EXPECT_EQ(value_at(table.MovePrev()), -1);
    EXPECT_EQ(table.GetCurrent(), 0u);
    EXPECT_EQ(value_at(table.MovePrev()), -1);
    EXPECT_EQ(table.GetCurrent(), 0u);
    EXPECT_EQ(value_at(table.MoveNext()), 1);
}

TEST_F(DbfRead, TablesWithoutRecordsOrWithoutFieldsOpen) {
    const std::string empty = dir.file("empty.dbf");
    {
        shapelib_table t(empty);
        t.add("NAME", 'C', 10);
        t.add("N", 'N', 5);
    }
    CDBF table;
    ASSERT_EQ(table.Open(empty), 0u);
    EXPECT_EQ(table.GetRecordCount(), 0u);
    EXPECT_EQ(table.GetFieldCount(), 2);
    auto v = table.MoveFirst();
    ASSERT_EQ(v.size(), 2u);
    expect_none(v[0]);
    expect_none(v[1]);
    EXPECT_EQ(table.MoveTo(7).size(), 2u);

    const std::string bare = dir.file("bare.dbf");
    { shapelib_table t(bare); }
    CDBF no_fields;
    ASSERT_EQ(no_fields.Open(bare), 0u);
    EXPECT_EQ(no_fields.GetFieldCount(), 0);
    EXPECT_TRUE(no_fields.MoveFirst().empty());
}

TEST_F(DbfRead, DeletedRecordsKeepTheirPlace) {
    const std::string path = dir.file("deleted.dbf");
    {
        shapelib_table t(path);
        t.add("N", 'N', 4);
        for (int r = 0; r < 3; ++r) t.number(r, 0, r + 1);
        t.close();
        DBFHandle h = DBFOpen(path.c_str(), "rb+");
        ASSERT_TRUE(h);
        DBFMarkRecordDeleted(h, 1, 1);
        DBFClose(h);
    }
    CDBF table;
    ASSERT_EQ(table.Open(path), 0u);
    EXPECT_EQ(table.GetRecordCount(), 3u);
    EXPECT_FALSE(table.IsDeleted());
    expect_number(table.MoveNext()[0], 2);
    EXPECT_TRUE(table.IsDeleted());
    expect_number(table.MoveNext()[0], 3);
    EXPECT_FALSE(table.IsDeleted());
}

TEST_F(DbfRead, ReopeningForgetsThePreviousTable) {
    const std::string first = dir.file("first.dbf");
    const std::string second = dir.file("second.dbf");
    {
        shapelib_table a(first);
        a.add("A", 'C', 5);
        a.add("B", 'N', 5);
        a.text(0, 0, "x");
        a.text(1, 0, "y");
        shapelib_table b(second);
        b.add("C", 'L', 1);
        b.raw(0, 0, "Y");
    }
    CDBF table;
    ASSERT_EQ(table.Open(first), 0u);
    table.MoveNext();
    ASSERT_EQ(table.Open(second), 0u);
    EXPECT_EQ(table.GetNames(), std::vector<std::string>{"C"});
    EXPECT_EQ(table.GetRecordCount(), 1u);
    EXPECT_EQ(table.GetCurrent(), 1u);
    expect_logical(table.MoveFirst()[0], -1);

    // A failed open leaves nothing of the table before.
    EXPECT_EQ(table.Open(dir.file("missing.dbf")), 1u);
    EXPECT_EQ(table.GetFieldCount(), 0);
    EXPECT_EQ(table.GetRecordCount(), 0u);
    EXPECT_TRUE(table.MoveFirst().empty());
}

// The table is read from exactly the path given: shapelib on its own would swap the
// extension for ".dbf" and could pick up another file.
TEST_F(DbfRead, OpensExactlyThePathGiven) {
    const std::string lower = dir.file("t.dbf");
    const std::string upper = dir.file("t.DBF");
    const std::string other = dir.file("t.bak");
    for (const auto& [path, text] : {std::pair{lower, "lower"}, {upper, "upper"}, {other, "other"}}) {
        shapelib_table t(dir.file("tmp.dbf"));
        t.add("S", 'C', 8);
        t.text(0, 0, text);
        t.close();
        test_support::write_bytes(path, test_support::read_bytes(dir.file("tmp.dbf")));
    }
    for (const auto& [path, text] : {std::pair{lower, u"lower"}, {upper, u"upper"}, {other, u"other"}}) {
        CDBF table;
        ASSERT_EQ(table.Open(path), 0u) << path;
        expect_text(table.MoveFirst()[0], text);
    }
}

TEST_F(DbfRead, LargeTablesReadAsShapelibReadsThemInAnyOrder) {
    // Records of 120 bytes, many times the reader's buffer in all, visited forward, backward
    // and by jumps; shapelib on its own (the C library's files) reads the same table.
    const std::string path = dir.file("large.dbf");
    const int records = 6000;
    {
        shapelib_table t(path);
        t.add("ID", 'N', 10);
        t.add("NAME", 'C', 100);
        t.add("ON", 'L', 1);
        for (int r = 0; r < records; ++r) {
            t.number(r, 0, r * 7);
            t.text(r, 1, "  place " + std::to_string(r * 31 % 1000) + std::string(static_cast<std::size_t>(r % 90), '-'));
            t.raw(r, 2, r % 3 ? "T" : "f");
        }
    }
    DBFHandle reference = DBFOpen(path.c_str(), "rb");
    ASSERT_NE(reference, nullptr);
    CDBF table;
    ASSERT_EQ(table.Open(path), 0u);
    auto expect_record = [&](const std::vector<CDBFValue>& values, int r) {
        ASSERT_EQ(table.GetCurrent(), static_cast<std::uint32_t>(r + 1));
        expect_number(values.at(0), DBFReadDoubleAttribute(reference, r, 0));
        const std::string text = DBFReadStringAttribute(reference, r, 1);
        expect_text(values.at(1), std::u16string(text.begin(), text.end()));
        const char flag = *DBFReadLogicalAttribute(reference, r, 2);
        expect_logical(values.at(2), flag == 'T' ? -1 : 0);
    };
    expect_record(table.MoveFirst(), 0);
    for (int r = 1; r < records; ++r) expect_record(table.MoveNext(), r);
    for (int r = records - 2; r >= records - 500; --r) expect_record(table.MovePrev(), r);
    for (int k = 0; k < 300; ++k) {
        const int r = k * 4937 % records;
        expect_record(table.MoveTo(static_cast<std::uint32_t>(r + 1)), r);
    }
    DBFClose(reference);
}
