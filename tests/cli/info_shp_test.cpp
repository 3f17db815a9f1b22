#include <gtest/gtest.h>

#include <QJsonArray>
#include <regex>
#include <shapefil.h>

#include "tests/cli/cli_support.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/shp_bytes.h"
#include "tools/shapefile_writer.h"

using cli_test::run_cli;
using cli_test::run_json;
using tools::vertices;

namespace {

struct ogr_summary {
    int features = -1;
    double extent[4] = {};
};

// What ogrinfo says of a shapefile: its feature count and extent.
ogr_summary run_ogrinfo(const std::string& path) {
    const std::string ogrinfo = test_support::find_program("ogrinfo");
    EXPECT_FALSE(ogrinfo.empty()) << "ogrinfo (gdal-bin) is needed";
    const auto r = test_support::run_process(ogrinfo, {"-so", "-al", path});
    ogr_summary s;
    std::smatch m;
    if (std::regex_search(r.out, m, std::regex(R"(Feature Count: (\d+))"))) s.features = std::stoi(m[1]);
    const std::regex extent(R"(Extent: \(([-\d.]+), ([-\d.]+)\) - \(([-\d.]+), ([-\d.]+)\))");
    if (std::regex_search(r.out, m, extent))
        for (int i = 0; i < 4; ++i) s.extent[i] = std::stod(m[i + 1]);
    return s;
}

void expect_agreement(const std::string& path, int parts, int points) {
    const ogr_summary ogr = run_ogrinfo(path);
    const QJsonObject o = run_json({"info", path, "--json"});
    EXPECT_EQ(o["records"].toInt(), ogr.features) << path;
    const QJsonArray bounds = o["bounds"].toArray();
    ASSERT_EQ(bounds.size(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(bounds[i].toDouble(), ogr.extent[i], 1e-6) << path << " " << i;
    EXPECT_EQ(o["parts"].toInt(), parts);
    EXPECT_EQ(o["points"].toInt(), points);
}

}  // namespace

TEST(CliInfoShp, AgreesWithOgrinfoOnCountsAndExtent) {
    test_support::temp_dir dir;
    ASSERT_TRUE(tools::write_shapefile(dir.file("towns.shp"), SHPT_POINT, {{{{-71.06, 42.36}}}, {{{37.62, 55.75}}}}));
    ASSERT_TRUE(tools::write_shapefile(dir.file("roads.shp"), SHPT_ARC,
                                     {{{{-1, 50}, {0, 51}, {1, 50.5}}, {{2, 52}, {3, 53}}}, {{{-5, 49}, {-4, 48}}}}));
    ASSERT_TRUE(tools::write_shapefile(dir.file("lakes.shp"), SHPT_POLYGON,
                                     {{{{10, 10}, {10, 20}, {20, 20}, {20, 10}, {10, 10}},
                                       {{12, 12}, {14, 12}, {14, 14}, {12, 12}}}}));
    expect_agreement(dir.file("towns.shp"), 0, 2);
    expect_agreement(dir.file("roads.shp"), 3, 7);
    expect_agreement(dir.file("lakes.shp"), 2, 9);

    const QJsonObject lakes = run_json({"info", dir.file("lakes.shp"), "--json"});
    EXPECT_EQ(lakes["shape_type"].toInt(), 5);
    EXPECT_EQ(lakes["layer"].toString(), "lakes");
    EXPECT_EQ(lakes["header_bounds"].toArray()[2].toDouble(), 20.0);
}

TEST(CliInfoShp, ListsTheFieldsOfTheTableBesideIt) {
    test_support::temp_dir dir;
    ASSERT_TRUE(tools::write_shapefile(dir.file("towns.shp"), SHPT_POINT, {{{{1, 2}}}}));
    DBFHandle dbf = DBFCreate(dir.file("towns.dbf").c_str());
    DBFAddField(dbf, "NAME", FTString, 20, 0);
    DBFAddField(dbf, "POP", FTDouble, 12, 2);
    DBFAddNativeFieldType(dbf, "FOUNDED", 'D', 8, 0);
    DBFWriteStringAttribute(dbf, 0, 0, "Riverside");
    DBFClose(dbf);
    const QJsonObject o = run_json({"info", dir.file("towns.shp"), "--json"});
    const QJsonObject table = o["table"].toObject();
    EXPECT_EQ(table["record_count"].toInt(), 1);
    const QJsonArray fields = table["fields"].toArray();
    ASSERT_EQ(fields.size(), 3);
    EXPECT_EQ(fields[0].toObject()["name"].toString(), "NAME");
    EXPECT_EQ(fields[0].toObject()["attribute_kind"].toInt(), 3);
    EXPECT_EQ(fields[1].toObject()["attribute_kind"].toInt(), 2);
    EXPECT_EQ(fields[2].toObject()["type"].toString(), "D");
    EXPECT_EQ(fields[2].toObject()["attribute_kind"].toInt(), 0);  // dates are not kept

    ASSERT_TRUE(tools::write_shapefile(dir.file("bare.shp"), SHPT_POINT, {{{{1, 2}}}}));
    const auto bare = run_cli({"info", dir.file("bare.shp"), "--json"});
    EXPECT_EQ(bare.exit_code, 0);
    EXPECT_NE(bare.out.find("\"table\": null"), std::string::npos) << bare.out;
    EXPECT_NE(bare.err.find("Couldn't connect to"), std::string::npos) << bare.err;
}

TEST(CliInfoShp, UnreadableShapefilesExitWith2) {
    test_support::temp_dir dir;
    EXPECT_EQ(run_cli({"info", dir.file("missing.shp")}).exit_code, 2);
    test_support::write_bytes(dir.file("junk.shp"), std::vector<std::uint8_t>(120, 7));
    const auto junk = run_cli({"info", dir.file("junk.shp")});
    EXPECT_EQ(junk.exit_code, 2);
    EXPECT_NE(junk.err.find("not a shapefile"), std::string::npos) << junk.err;

    test_support::shp_bytes multipoint;
    multipoint.header(8, 0, 0, 1, 1);
    const auto& bytes = multipoint.finish();
    test_support::write_bytes(dir.file("multi.shp"), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    const auto refused = run_cli({"info", dir.file("multi.shp")});
    EXPECT_EQ(refused.exit_code, 2);
    EXPECT_NE(refused.err.find("Unsupported type"), std::string::npos) << refused.err;
}

// Names outside Windows-1252 (a Cyrillic file name, a field name of a Windows-1251 table)
// survive when --code-page names a character set that holds them, and become '?' without.
TEST(CliInfoShp, CodePageOptionKeepsNamesOfOtherAlphabets) {
    test_support::temp_dir dir;
    const std::string shp = dir.file("регион.shp");
    ASSERT_TRUE(tools::write_shapefile(shp, SHPT_ARC, {{{{0, 0}, {1, 1}}}}));
    DBFHandle table = DBFCreate(dir.file("регион.dbf").c_str());
    ASSERT_NE(table, nullptr);
    DBFAddField(table, "\xC3\xCE\xD0\xCE\xC4", FTString, 20, 0);  // ГОРОД in Windows-1251
    DBFWriteStringAttribute(table, 0, 0, "x");
    DBFClose(table);
    test_support::write_bytes(dir.file("регион.cpg"), {'C', 'P', '1', '2', '5', '1'});

    const QJsonObject plain = run_json({"info", shp, "--json"});
    EXPECT_EQ(plain["layer"].toString(), "??????");
    EXPECT_EQ(plain["table"].toObject()["fields"].toArray()[0].toObject()["name"].toString(), "?????");
    const QJsonObject cyrillic = run_json({"info", shp, "--json", "--code-page", "CP1251"});
    EXPECT_EQ(cyrillic["layer"].toString(), "регион");
    EXPECT_EQ(cyrillic["table"].toObject()["fields"].toArray()[0].toObject()["name"].toString(), "ГОРОД");
    const QJsonObject cut = run_json({"regrid", shp, "--json", "--code-page", "KOI8-R"});
    EXPECT_EQ(cut["layer"].toString(), "регион");
}
