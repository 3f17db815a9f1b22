// Shapefiles into layers, as Add Layers reads them: files from shapelib's writer, and files
// no writer would make.
#include <gtest/gtest.h>

#include <shapefil.h>

#include <climits>
#include <cstdio>

#include "georef/transform.h"
#include "map/sf_map.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "tests/vector/added_layer.h"
#include "tests/support/shp_bytes.h"
#include "tools/shapefile_writer.h"
#include "vector/layer_line.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"
#include "vector/register_layers.h"

using namespace model;
using vector_test::add;
using vector_test::added;

using test_support::shp_bytes;
using tools::vertices;

namespace {

std::string write(const test_support::temp_dir& dir, const std::string& name, const std::vector<unsigned char>& bytes) {
    test_support::write_bytes(dir.file(name), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return dir.file(name);
}

// A polyline record of the given parts and points (all at x = i, y = -i).
constexpr int as_is = INT32_MIN;

void polyline_record(shp_bytes& f, int number, std::vector<int> parts, int points, int declared_parts = as_is,
                     int declared_points = as_is, int extra_words = 0) {
    const int content = 4 + 32 + 8 + 4 * static_cast<int>(parts.size()) + 16 * points;
    f.be32(number);
    f.be32(content / 2 + extra_words);
    f.le32(3);
    for (double d : {0.0, 1.0 - points, points - 1.0, 0.0}) f.le_double(d);
    f.le32(declared_parts == as_is ? static_cast<int>(parts.size()) : declared_parts);
    f.le32(declared_points == as_is ? points : declared_points);
    for (int p : parts) f.le32(p);
    for (int i = 0; i < points; ++i) {
        f.le_double(i);
        f.le_double(-i);
    }
    for (int i = 0; i < extra_words; ++i) f.bytes.insert(f.bytes.end(), {0, 0});
}

}  // namespace

TEST(ShapefileImport, PointsFromAnotherWriter) {
    test_support::temp_dir dir;
    ASSERT_TRUE(tools::write_shapefile(dir.file("towns.shp"), SHPT_POINT,
                                     {{{{37.6, 55.75}}}, {{{30.3, 59.9}}}, {{{-70.5, -33.4}}}}));
    CSFMap map;
    const added a = add(map, dir.file("towns.shp"));
    ASSERT_EQ(a.result, 0u) << (a.messages.empty() ? "" : a.messages[0]);
    auto* layer = dynamic_cast<CSFLayerPoint*>(a.layer);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->m_nKind, 1u);
    EXPECT_EQ(layer->m_strName, "towns");
    EXPECT_EQ(layer->m_strPath, dir.file("towns.shp"));
    EXPECT_EQ(layer->m_nShapes, 3u);
    EXPECT_EQ(layer->m_pShapes[2].m_pt, (CSFPt{-70.5, -33.4}));
    EXPECT_EQ(layer->m_pShapes[2].m_rcBox, (CSFRect{-70.5, -33.4, -70.5, -33.4}));
    EXPECT_EQ(layer->m_pShapes[1].m_nRecord, 2);
    EXPECT_EQ(layer->m_rcBounds, (CSFRect{-70.5, -33.4, 37.6, 59.9}));
    EXPECT_EQ(layer->m_pTransform, static_cast<georef::CTr*>(map.get_transform()));
    EXPECT_EQ(map.get_bounds(), layer->m_rcBounds);
    EXPECT_EQ(map.GetLayerCount(), 1u);
}

TEST(ShapefileImport, PolylinesAndPolygonsKeepTheirParts) {
    test_support::temp_dir dir;
    const vertices a = {{0, 0}, {1, 0}, {1, 1}}, b = {{5, 5}, {6, 7}};
    ASSERT_TRUE(tools::write_shapefile(dir.file("roads.shp"), SHPT_ARC, {{a, b}, {b}}));
    ASSERT_TRUE(tools::write_shapefile(dir.file("lakes.shp"), SHPT_POLYGON,
                                     {{{{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}}, {{1, 1}, {2, 1}, {2, 2}, {1, 1}}}}));
    CSFMap map;
    const added roads = add(map, dir.file("roads.shp"));
    ASSERT_EQ(roads.result, 0u);
    auto* lines = dynamic_cast<CSFLayerLine*>(roads.layer);
    ASSERT_NE(lines, nullptr);
    ASSERT_EQ(lines->m_pShapes.size(), 2u);
    const CSFLine& first = lines->m_pShapes[0];
    EXPECT_EQ(first.m_nParts, 2u);
    EXPECT_EQ(first.m_nPoints, 5u);
    EXPECT_EQ(first.m_pParts, (std::pmr::vector<std::int32_t>{0, 3}));
    EXPECT_EQ(first.m_pPoints[4], (CSFPt{6, 7}));
    EXPECT_EQ(first.m_rcBox, (CSFRect{0, 0, 6, 7}));
    EXPECT_EQ(lines->m_rcBounds, (CSFRect{0, 0, 6, 7}));

    const added lakes = add(map, dir.file("lakes.shp"));
    ASSERT_EQ(lakes.result, 0u);
    auto* polygons = dynamic_cast<CSFLayerPolygon*>(lakes.layer);
    ASSERT_NE(polygons, nullptr);
    EXPECT_TRUE(polygons->IsFilled());
    ASSERT_EQ(polygons->m_pPolygons.size(), 1u);
    ASSERT_EQ(polygons->m_pShapes.size(), 1u);
    // The same record as the outline and as the filled polygon.
    EXPECT_EQ(polygons->m_pPolygons[0].m_pParts, polygons->m_pShapes[0].m_pParts);
    EXPECT_EQ(polygons->m_pPolygons[0].m_pPoints, polygons->m_pShapes[0].m_pPoints);
    EXPECT_EQ(polygons->m_pPolygons[0].m_nParts, 2u);
    EXPECT_EQ(polygons->m_pPolygons[0].m_nPoints, 9u);
    EXPECT_EQ(map.GetLayerCount(), 2u);
    EXPECT_EQ(map.get_bounds(), (CSFRect{0, 0, 6, 7}));
}

TEST(ShapefileImport, NamesAndExtensionsAreTakenAsTheyStand) {
    test_support::temp_dir dir;
    ASSERT_TRUE(tools::write_shapefile(dir.file("Roads.shp"), SHPT_ARC, {{{{0, 0}, {1, 1}}}}));
    std::rename(dir.file("Roads.shp").c_str(), dir.file("Roads.SHP").c_str());
    CSFMap map;
    const added upper = add(map, dir.file("Roads.SHP"));
    ASSERT_EQ(upper.result, 0u);
    EXPECT_EQ(upper.layer->m_strName, "Roads");

    EXPECT_EQ(add(map, dir.file("notes.txt")).result, 1u);
    EXPECT_EQ(add(map, dir.file("missing.shp")).result, 2u);
    EXPECT_EQ(map.GetLayerCount(), 1u);
}

TEST(ShapefileImport, HeaderOnlyAndLengthMismatch) {
    test_support::temp_dir dir;
    shp_bytes empty;
    empty.header(3, -10, -20, 30, 40);
    CSFMap map;
    const added a = add(map, write(dir, "empty.shp", empty.finish()));
    ASSERT_EQ(a.result, 0u);
    EXPECT_EQ(a.layer->m_nShapes, 0u);
    EXPECT_EQ(a.layer->m_rcBounds, (CSFRect{-10, -20, 30, 40}));

    // The stored length one word short of the file's size.
    shp_bytes short_length;
    short_length.header(3, 0, 0, 1, 1);
    polyline_record(short_length, 1, {0}, 2);
    auto bytes = short_length.finish();
    bytes[27] -= 1;
    const added refused = add(map, write(dir, "short.shp", bytes));
    EXPECT_EQ(refused.result, 3u);
    EXPECT_TRUE(refused.messages.empty());

    EXPECT_EQ(add(map, write(dir, "tiny.shp", std::vector<unsigned char>(60, 0))).result, 3u);
    auto not_shp = empty.finish();
    not_shp[3] = 0;
    EXPECT_EQ(add(map, write(dir, "code.shp", not_shp)).result, 3u);
    EXPECT_EQ(map.GetLayerCount(), 1u);
}

TEST(ShapefileImport, UnsupportedShapeTypesAreNamed) {
    test_support::temp_dir dir;
    CSFMap map;
    // The system's text, then the type by number and by the name the ESRI description gives it.
    const std::pair<int, const char*> types[] = {{0, "Null"},         {8, "MultiPoint"},   {11, "PointZ"},
                                                 {13, "PolyLineZ"},   {15, "PolygonZ"},    {18, "MultiPointZ"},
                                                 {21, "PointM"},      {23, "PolyLineM"},   {25, "PolygonM"},
                                                 {28, "MultiPointM"}, {31, "MultiPatch"},  {-7, "unknown"}};
    for (const auto& [type, name] : types) {
        shp_bytes f;
        f.header(type, 0, 0, 1, 1);
        const added a = add(map, write(dir, "t" + std::to_string(type) + ".shp", f.finish()));
        EXPECT_EQ(a.result, 1u) << type;
        EXPECT_EQ(a.messages, std::vector<std::string>{"Unsupported type (shape type " + std::to_string(type) + ", " + name +
                                                       "; Point, PolyLine and Polygon are read)"})
            << type;
    }
    EXPECT_EQ(map.GetLayerCount(), 0u);
}

TEST(ShapefileImport, PointRecordsWithSurplusAreReadWhole) {
    test_support::temp_dir dir;
    shp_bytes f;
    f.header(1, 0, 0, 3, 3);
    for (int i = 1; i <= 3; ++i) {
        f.be32(i);
        f.be32(14);  // 8 bytes more than a plain point
        f.le32(1);
        f.le_double(i);
        f.le_double(i);
        f.le_double(-1);
    }
    CSFMap map;
    const added a = add(map, write(dir, "extra.shp", f.finish()));
    ASSERT_EQ(a.result, 0u);
    auto* layer = dynamic_cast<CSFLayerPoint*>(a.layer);
    ASSERT_EQ(layer->m_nShapes, 3u);
    EXPECT_EQ(layer->m_pShapes[2].m_pt, (CSFPt{3, 3}));

    shp_bytes small;
    small.header(1, 0, 0, 3, 3);
    small.be32(1);
    small.be32(9);  // below the 10 words of a point
    small.le32(1);
    small.le_double(1);
    small.le_double(1);
    small.bytes.resize(small.bytes.size() - 2);
    const added bad = add(map, write(dir, "small.shp", small.finish()));
    EXPECT_EQ(bad.result, 1u);
    EXPECT_EQ(bad.messages, std::vector<std::string>{"Data error."});
}

TEST(ShapefileImport, RecordsThatLieAreDataErrors) {
    test_support::temp_dir dir;
    struct lie {
        const char* name;
        std::vector<int> parts;
        int points, declared_parts, declared_points;
    };
    const lie lies[] = {
        {"huge-parts", {0}, 2, 0x7FFFFFFF, as_is},
        {"huge-points", {0}, 2, as_is, 0x7FFFFFF0},
        {"negative-parts", {0}, 2, -5, as_is},
        {"negative-points", {0}, 2, as_is, -2},
        {"past-content", {0}, 2, as_is, 3},        // one point more than the record holds
        {"part-outside", {0, 5}, 3, as_is, as_is},  // a part starting beyond the points
        {"parts-backwards", {2, 0}, 3, as_is, as_is},
    };
    CSFMap map;
    for (const lie& l : lies) {
        shp_bytes f;
        f.header(3, 0, 0, 1, 1);
        polyline_record(f, 1, {0}, 2);
        polyline_record(f, 2, l.parts, l.points, l.declared_parts, l.declared_points);
        const added a = add(map, write(dir, std::string(l.name) + ".shp", f.finish()));
        EXPECT_EQ(a.result, 1u) << l.name;
        EXPECT_EQ(a.messages, std::vector<std::string>{"Data error."}) << l.name;
    }
    // A record claiming more content than the file holds.
    shp_bytes f;
    f.header(3, 0, 0, 1, 1);
    polyline_record(f, 1, {0}, 2);
    auto bytes = f.finish();
    bytes[100 + 7] += 40;
    const auto cut = std::vector<unsigned char>(bytes.begin(), bytes.end());
    auto stated = cut;
    const unsigned words = static_cast<unsigned>(stated.size() / 2);
    stated[26] = static_cast<unsigned char>(words >> 8);
    stated[27] = static_cast<unsigned char>(words);
    EXPECT_EQ(add(map, write(dir, "long-record.shp", stated)).result, 1u);
    EXPECT_EQ(map.GetLayerCount(), 0u);
}

TEST(ShapefileImport, NullRecordsAndTrailingMeasuresAreTolerated) {
    test_support::temp_dir dir;
    shp_bytes f;
    f.header(3, 0, -2, 2, 0);
    polyline_record(f, 1, {0}, 3, as_is, as_is, 8);  // 16 bytes of measures after the points
    f.be32(2);
    f.be32(2);  // a null shape: its type and nothing else
    f.le32(0);
    polyline_record(f, 3, {0}, 2);
    CSFMap map;
    const added a = add(map, write(dir, "mixed.shp", f.finish()));
    ASSERT_EQ(a.result, 0u);
    auto* layer = dynamic_cast<CSFLayerLine*>(a.layer);
    ASSERT_EQ(layer->m_nShapes, 3u);
    EXPECT_EQ(layer->m_pShapes[0].m_nPoints, 3u);
    EXPECT_EQ(layer->m_pShapes[1].m_nPoints, 0u);
    EXPECT_EQ(layer->m_pShapes[2].m_nPoints, 2u);
    EXPECT_EQ(layer->m_pShapes[2].m_nRecord, 3);
    // The null record did not pull the bounds to (0, 0) beyond the header's box.
    EXPECT_EQ(layer->m_rcBounds, (CSFRect{0, -2, 2, 0}));
}

TEST(ShapefileImport, GarbageAfterAValidHeaderNeverCrashes) {
    test_support::temp_dir dir;
    std::uint32_t state = 7;
    CSFMap map;
    for (int round = 0; round < 200; ++round) {
        shp_bytes f;
        f.header(1 + 2 * (round % 3), 0, 0, 1, 1);
        const int length = 8 + static_cast<int>(state % 300);
        for (int i = 0; i < length; ++i) {
            state = state * 1664525u + 1013904223u;
            f.bytes.push_back(static_cast<unsigned char>(state >> 24));
        }
        if (f.bytes.size() % 2) f.bytes.push_back(0);
        const added a = add(map, write(dir, "garbage.shp", f.finish()));
        EXPECT_TRUE(a.result == 0 || a.result == 1) << round;
    }
}
