// Attribute tables of point layers: read from tables other programs wrote, kept per point,
// and the failure that keeps the layer without attributes.

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

#include "formats/dbf.h"
#include "georef/transform.h"
#include "platform/code_page.h"
#include "shapes/table_path.h"
#include "tests/formats/dbf_builders.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/recording_dc.h"
#include "tests/support/recording_ui_service.h"
#include "tests/support/settings_sandbox.h"
#include "tests/vector/points/points_support.h"
#include "vector/table_fields.h"

using namespace model;

using dbf_test::shapelib_table;
using points_test::add_point_layer;
using points_test::write_point_shapefile;

namespace {

class PointAttributes : public ::testing::Test {
protected:
    test_support::settings_sandbox settings;
    test_support::recording_ui ui;
    test_support::temp_dir dir;
    CSFMap map;

    std::string three_points(const std::string& stem) {
        write_point_shapefile(dir.file(stem), {{37.6, 55.7}, {30.3, 59.9}, {40.1, 50.2}});
        return dir.file(stem + ".shp");
    }
};

void expect_real(const CSFShape& s, int field, double v) {
    const _attrValue a = s.GetAttribute(field);
    EXPECT_EQ(a.kind, _attrValue::real);
    EXPECT_EQ(a.get_double(), v);
}

void expect_int(const CSFShape& s, int field, std::int32_t v) {
    const _attrValue a = s.GetAttribute(field);
    EXPECT_EQ(a.kind, _attrValue::integer);
    EXPECT_EQ(a.get_int(), v);
}

void expect_text(const CSFShape& s, int field, const std::u16string& v) {
    const _attrValue a = s.GetAttribute(field);
    EXPECT_EQ(a.kind, _attrValue::text);
    EXPECT_EQ(a.get_text(), v);
}

}  // namespace

TEST_F(PointAttributes, ShapelibTableGivesKindsFlagsAndValuesOfEveryFieldType) {
    const std::string shp = three_points("towns");
    {
        shapelib_table t(dir.file("towns.dbf"));
        t.add("NAME", 'C', 20);
        t.add("COUNT", 'N', 10);
        t.add("AREA", 'N', 19, 6);
        t.add("RATIO", 'F', 12, 4);
        t.add("BORN", 'D', 8);
        t.add("ALIVE", 'L', 1);
        t.text(0, 0, "Alpha");
        t.number(0, 1, 12);
        t.number(0, 2, -2250.125);
        t.number(0, 3, 0.5);
        t.raw(0, 4, "20200115");
        t.raw(0, 5, "T");
        for (int f = 0; f < 6; ++f) t.null(1, f);
        t.text(2, 0, "Gamma");
        t.number(2, 1, -3);
        t.number(2, 2, 1e6);
        t.number(2, 3, -1.25);
        t.raw(2, 4, "18991230");
        t.raw(2, 5, "F");
    }
    CSFLayerPoint* layer = add_point_layer(map, shp);
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(layer->m_bAttributes, 1);
    EXPECT_EQ(layer->m_aFieldNames, (std::vector<std::string>{"NAME", "COUNT", "AREA", "RATIO", "BORN", "ALIVE"}));
    // Text, numbers and logicals are kept; dates are neither shown nor stored.
    EXPECT_EQ(layer->m_aFieldKinds, (std::vector<std::uint32_t>{3, 2, 2, 2, 0, 1}));
    EXPECT_EQ(layer->m_aFieldShown, (std::vector<std::uint8_t>{1, 1, 1, 1, 0, 1}));
    EXPECT_EQ(layer->m_aFieldLabel, (std::vector<std::uint8_t>(6, 0)));

    ASSERT_EQ(layer->m_pShapes.size(), 3u);
    const CSFPoint& a = layer->m_pShapes[0];
    ASSERT_EQ(a.get_attribute_count(), 6);
    expect_text(a, 0, u"Alpha");
    expect_real(a, 1, 12);
    expect_real(a, 2, -2250.125);
    expect_real(a, 3, 0.5);
    // A date is held as its ISO 8601 text, for a label of its field.
    expect_text(a, 4, u"2020-01-15");
    // The table's true (-1 in its 16 bits) keeps its value when widened.
    expect_int(a, 5, -1);

    // A record of nulls gives no values: labels draw nothing, hints a zero of the field's kind.
    const CSFPoint& b = layer->m_pShapes[1];
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(b.GetAttribute(f).kind, _attrValue::none) << f;
        EXPECT_TRUE(b.GetAttribute(f).label_text().empty()) << f;
    }
    EXPECT_EQ(layer->hint_lines(b)[1], u"COUNT   0.000000");

    const CSFPoint& c = layer->m_pShapes[2];
    expect_text(c, 0, u"Gamma");
    expect_text(c, 4, u"1899-12-30");
    expect_real(c, 1, -3);
    expect_real(c, 2, 1e6);
    expect_real(c, 3, -1.25);
    expect_int(c, 5, 0);
}

TEST_F(PointAttributes, TextOfWindows1251AndUtf8TablesIsReadThroughTheirCpgFiles) {
    const std::u16string russian = u"Привет, мир";
    for (const char* page : {"CP1251", "UTF-8"}) {
        SCOPED_TRACE(page);
        const std::string stem = std::string("ru-") + page;
        const std::string shp = three_points(stem);
        {
            shapelib_table t(dir.file(stem + ".dbf"), page);
            t.add("NAME", 'C', 40);
            t.text(0, 0, platform::CCodePage(page).FromUTF16(russian));
            t.text(1, 0, platform::CCodePage(page).FromUTF16(u"Жужа"));
            t.text(2, 0, "plain");
        }
        CSFMap one;
        CSFLayerPoint* layer = add_point_layer(one, shp);
        ASSERT_NE(layer, nullptr);
        expect_text(layer->m_pShapes[0], 0, russian);
        expect_text(layer->m_pShapes[1], 0, u"Жужа");
        expect_text(layer->m_pShapes[2], 0, u"plain");
    }
}

TEST_F(PointAttributes, Ogr2ogrTablesReadAsOgrinfoReadsThem) {
    std::ofstream(dir.file("in.geojson")) << R"({"type":"FeatureCollection","features":[
{"type":"Feature","geometry":{"type":"Point","coordinates":[37.6,55.7]},
 "properties":{"name":"Привет","count":12,"area":1.5,"day":"2020-01-15"}},
{"type":"Feature","geometry":{"type":"Point","coordinates":[30.3,59.9]},
 "properties":{"name":null,"count":null,"area":null,"day":null}},
{"type":"Feature","geometry":{"type":"Point","coordinates":[40.1,50.2]},
 "properties":{"name":"Жужа","count":-3,"area":-2250.0,"day":"1899-12-30"}}]})";
    for (const char* encoding : {"CP1251", "UTF-8"}) {
        SCOPED_TRACE(encoding);
        const std::string out = dir.file(std::string("ogr-") + encoding + ".shp");
        auto r = test_support::run_process(test_support::find_program("ogr2ogr"),
                                           {"-f", "ESRI Shapefile", out, dir.file("in.geojson"), "-lco",
                                            std::string("ENCODING=") + encoding});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        CSFMap one;
        CSFLayerPoint* layer = add_point_layer(one, out);
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(layer->m_aFieldNames, (std::vector<std::string>{"name", "count", "area", "day"}));
        EXPECT_EQ(layer->m_aFieldKinds, (std::vector<std::uint32_t>{3, 2, 2, 0}));
        ASSERT_EQ(layer->m_pShapes.size(), 3u);
        EXPECT_EQ(layer->m_pShapes[0].m_pt, (CSFPt{37.6, 55.7}));
        expect_text(layer->m_pShapes[0], 0, u"Привет");
        expect_real(layer->m_pShapes[0], 1, 12);
        expect_real(layer->m_pShapes[0], 2, 1.5);
        // Nulls are no values; the dates are kept as their text.
        for (int f = 0; f < 4; ++f) EXPECT_EQ(layer->m_pShapes[1].GetAttribute(f).kind, _attrValue::none) << f;
        expect_text(layer->m_pShapes[0], 3, u"2020-01-15");
        expect_text(layer->m_pShapes[2], 0, u"Жужа");
        expect_real(layer->m_pShapes[2], 1, -3);
        expect_real(layer->m_pShapes[2], 2, -2250);
    }
}

TEST_F(PointAttributes, RecordsPairWithPointsByPositionAndLongTextIsCutTo49Units) {
    write_point_shapefile(dir.file("pair"), {{1, 1}, {2, 2}, {3, 3}});
    const std::string long_text(60, 'x');
    {
        shapelib_table t(dir.file("pair.dbf"), "UTF-8");
        t.add("NOTE", 'C', 120);
        t.text(0, 0, long_text);
        // 48 units and then a character outside the basic plane: no half of it is kept.
        t.text(1, 0, std::string(48, 'y') + "\xF0\x9F\x98\x80" + "z");
    }
    CSFLayerPoint* layer = add_point_layer(map, dir.file("pair.shp"));
    ASSERT_NE(layer, nullptr);
    expect_text(layer->m_pShapes[0], 0, std::u16string(49, u'x'));
    expect_text(layer->m_pShapes[1], 0, std::u16string(48, u'y'));
    // The third point has no record: it gets no value.
    EXPECT_EQ(layer->m_pShapes[2].GetAttribute(0).kind, _attrValue::none);
}

TEST_F(PointAttributes, UnreadableTablesKeepTheLayerWithoutAttributes) {
    struct bad_table {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    dbf_test::table_bytes good;
    good.fields = {{"NAME", 'C', 8}, {"COUNT", 'N', 4}};
    good.records = {"aaaaaaaa  12", "bbbbbbbb  34"};
    auto truncated = good.build();
    truncated.resize(40);
    dbf_test::table_bytes past_record = good;
    past_record.record_length = 5;
    dbf_test::table_bytes huge_count = good;
    huge_count.header_records = 0x7FFFFFFF;
    dbf_test::table_bytes no_fields;
    const std::vector<bad_table> tables = {
        {"truncated", truncated},
        {"fields past the record", past_record.build()},
        {"garbage", std::vector<std::uint8_t>(300, 0xA5)},
        {"no fields", no_fields.build()},
    };
    for (const bad_table& bad : tables) {
        SCOPED_TRACE(bad.name);
        ui.clear();
        write_point_shapefile(dir.file("bad"), {{1, 1}, {2, 2}});
        test_support::write_bytes(dir.file("bad.dbf"), bad.bytes);
        CSFMap one;
        CSFLayerPoint* layer = add_point_layer(one, dir.file("bad.shp"));
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(one.GetLayerCount(), 1u);
        EXPECT_EQ(layer->m_bAttributes, 0);
        EXPECT_TRUE(layer->m_aFieldNames.empty());
        EXPECT_EQ(layer->m_pShapes[0].get_attribute_count(), 0);
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text, "Couldn't connect to " + dir.file("bad.dbf") + ".");
    }

    // A header that states more records than the file holds reads the ones it has.
    huge_count.language_driver = 0xEE;  // no code page known by that number
    write_point_shapefile(dir.file("more"), {{1, 1}, {2, 2}, {3, 3}});
    test_support::write_bytes(dir.file("more.dbf"), huge_count.build());
    ui.clear();
    CSFLayerPoint* layer = add_point_layer(map, dir.file("more.shp"));
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(ui.messages().empty());
    expect_text(layer->m_pShapes[1], 0, u"bbbbbbbb");
    expect_real(layer->m_pShapes[1], 1, 34);
    EXPECT_EQ(layer->m_pShapes[2].GetAttribute(0).kind, _attrValue::none);
}

TEST_F(PointAttributes, AMissingTableIsReportedAndUpperCaseTablesAreFound) {
    write_point_shapefile(dir.file("lonely"), {{1, 1}});
    CSFLayerPoint* layer = add_point_layer(map, dir.file("lonely.shp"));
    ASSERT_NE(layer, nullptr);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Couldn't connect to " + dir.file("lonely.dbf") + ".");

    // Programs on systems that ignore case write ROADS.SHP beside ROADS.DBF.
    write_point_shapefile(dir.file("UPPER"), {{1, 1}});
    std::filesystem::rename(dir.file("UPPER.shp"), dir.file("UPPER.SHP"));
    {
        shapelib_table t(dir.file("UPPER.dbf"));
        t.add("NAME", 'C', 8);
        t.text(0, 0, "found");
    }
    std::filesystem::rename(dir.file("UPPER.dbf"), dir.file("UPPER.DBF"));
    ui.clear();
    CSFMap other;
    layer = add_point_layer(other, dir.file("UPPER.SHP"));
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(ui.messages().empty());
    expect_text(layer->m_pShapes[0], 0, u"found");
    EXPECT_EQ(table_path(dir.file("UPPER.SHP")), dir.file("UPPER.DBF"));
    EXPECT_EQ(table_path(dir.file("lonely.shp")), dir.file("lonely.dbf"));
}

TEST_F(PointAttributes, DescribeTableListsFieldsWithBothKinds) {
    const std::string shp = three_points("described");
    {
        shapelib_table t(dir.file("described.dbf"), "CP1251");
        t.add(platform::CCodePage("CP1251").FromUTF16(u"ИМЯ"), 'C', 20);
        t.add("AREA", 'F', 12, 4);
        t.add("BORN", 'D', 8);
        t.add("ALIVE", 'L', 1);
    }
    const auto description = describe_table(shp);
    ASSERT_TRUE(description.has_value());
    EXPECT_EQ(description->path, dir.file("described.dbf"));
    EXPECT_EQ(description->code_page, "CP1251");
    ASSERT_EQ(description->fields.size(), 4u);
    // Names come out as UTF-8; the system's 8-bit set cannot hold Cyrillic, so they read '?'.
    EXPECT_EQ(description->fields[0].name, "???");
    const char types[] = {'C', 'F', 'D', 'L'};
    const std::uint32_t table_kinds[] = {CDBF::kindText, CDBF::kindNumber, CDBF::kindDate, CDBF::kindLogical};
    const std::uint32_t attribute_kinds[] = {3, 2, 0, 1};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(description->fields[i].type, types[i]);
        EXPECT_EQ(description->fields[i].table_kind, table_kinds[i]);
        EXPECT_EQ(description->fields[i].attribute_kind, attribute_kinds[i]);
    }
    EXPECT_FALSE(describe_table(dir.file("nothing.shp")).has_value());
}

// Dates of any century read from the table come out as ISO 8601 text, the date the table
// holds (gmtime as the reference calendar); labels draw them, and draw nothing for no value.
TEST_F(PointAttributes, DatesAreLabelledAsIsoDatesAndNoValueDrawsNothing) {
    std::vector<CSFPt> points;
    std::vector<std::string> expected;
    std::mt19937 random(12);
    for (int i = 0; i < 300; ++i) {
        // Days from 1601 to 2399, around the calendar's leap-year rules.
        const std::int64_t day = std::uniform_int_distribution<std::int64_t>(-134774, 157000)(random);
        const std::time_t seconds = static_cast<std::time_t>(day) * 86400;
        std::tm civil{};
        ASSERT_NE(gmtime_r(&seconds, &civil), nullptr);
        char iso[16];
        std::strftime(iso, sizeof iso, "%Y-%m-%d", &civil);
        expected.push_back(iso);
        points.push_back({i * 0.01, 50.0});
    }
    points.push_back({3.5, 50.0});  // and one without a date
    write_point_shapefile(dir.file("dates"), points);
    {
        shapelib_table t(dir.file("dates.dbf"));
        t.add("SEEN", 'D', 8);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            std::string compact = expected[i];
            compact.erase(std::remove(compact.begin(), compact.end(), '-'), compact.end());
            t.raw(static_cast<int>(i), 0, compact);
        }
        t.null(static_cast<int>(expected.size()), 0);
    }
    CSFLayerPoint* layer = add_point_layer(map, dir.file("dates.shp"));
    ASSERT_NE(layer, nullptr);
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(platform::utf16_to_utf8(layer->m_pShapes[i].GetAttribute(0).label_text()), expected[i]) << i;

    ASSERT_TRUE(layer->set_label_field("SEEN"));
    georef::CTransform view;
    view.SetScreen(400, 300, 0.0003);
    view.SetCentre(1.5, 50.0, 0.0);
    view.SetScale(1e-6);
    view.Update();
    test_support::recording_dc dc;
    layer->m_pShapes[0].DrawPoint(&dc, &view, nullptr, &layer->m_aFieldLabel);
    layer->m_pShapes.back().DrawPoint(&dc, &view, nullptr, &layer->m_aFieldLabel);
    int labels = 0;
    for (const std::string& call : dc.texts()) {
        if (call.rfind("TextOut", 0) != 0) continue;
        ++labels;
        EXPECT_NE(call.find(expected[0]), std::string::npos) << call;
    }
    EXPECT_EQ(labels, 1);
}
