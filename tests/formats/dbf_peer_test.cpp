#include <gtest/gtest.h>

#include <fstream>

#include "formats/dbf.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/settings_sandbox.h"

// Tables written by GDAL's ogr2ogr from a CSV file whose column types a .csvt file fixes.
namespace {

class DbfFromOgr2ogr : public ::testing::Test {
protected:
    std::string convert(const std::string& csv_utf8, const std::string& encoding) {
        const std::string ogr2ogr = test_support::find_program("ogr2ogr");
        EXPECT_FALSE(ogr2ogr.empty()) << "ogr2ogr (gdal-bin) is needed";
        std::ofstream(dir.file("in.csv")) << csv_utf8;
        std::ofstream(dir.file("in.csvt")) << "String,Integer,Real,Date,String\n";
        const std::string out = dir.file("out.dbf");
        auto r = test_support::run_process(ogr2ogr, {"-f", "ESRI Shapefile", out, dir.file("in.csv"),
                                                     "-lco", "ENCODING=" + encoding});
        EXPECT_EQ(r.exit_code, 0) << r.err;
        return out;
    }

    test_support::settings_sandbox settings;
    test_support::temp_dir dir;
};

const char* const sample_csv =
    "name,count,area,day,note\n"
    "\"Привет, мир\",12,1.5,2020/01/15,a\n"
    ",,,,\n"
    "Жужа,-3,-2.25e3,1899/12/30,b\n";

void check_sample(CDBF& table) {
    EXPECT_EQ(table.GetNames(), (std::vector<std::string>{"name", "count", "area", "day", "note"}));
    EXPECT_EQ(table.GetKinds(), (std::vector<std::uint32_t>{2, 1, 1, 3, 2}));
    ASSERT_EQ(table.GetRecordCount(), 3u);

    auto v = table.MoveFirst();
    EXPECT_EQ(v[0].m_strValue, u"Привет, мир");
    EXPECT_EQ(v[1].m_dValue, 12);
    EXPECT_EQ(v[2].m_dValue, 1.5);
    EXPECT_EQ(v[3].m_nKind, CDBF::kindDate);
    EXPECT_EQ(v[3].m_dValue, 43845);
    EXPECT_EQ(v[4].m_strValue, u"a");

    v = table.MoveNext();
    for (const auto& value : v) EXPECT_EQ(value.m_nKind, CDBF::kindNone);

    v = table.MoveNext();
    EXPECT_EQ(v[0].m_strValue, u"Жужа");
    EXPECT_EQ(v[1].m_dValue, -3);
    EXPECT_EQ(v[2].m_dValue, -2250);
    EXPECT_EQ(v[3].m_dValue, 0);
}

}  // namespace

TEST_F(DbfFromOgr2ogr, Utf8TablesReadBackValueByValue) {
    CDBF table;
    ASSERT_EQ(table.Open(convert(sample_csv, "UTF-8")), 0u);
    EXPECT_EQ(table.GetCodePage(), "UTF-8");
    check_sample(table);
}

TEST_F(DbfFromOgr2ogr, Windows1251TablesReadBackValueByValue) {
    CDBF table;
    ASSERT_EQ(table.Open(convert(sample_csv, "CP1251")), 0u);
    EXPECT_EQ(table.GetCodePage(), "CP1251");
    check_sample(table);
}
