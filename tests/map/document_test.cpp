// The map document: a composed map saved, loaded and saved again; documents of every version
// laid out by hand; and documents cut short, lying or unknown.

#include <gtest/gtest.h>

#include <random>

#include "georef/transform.h"
#include "map/sf_map.h"
#include "platform/image_dc.h"
#include "raster/register_layers.h"
#include "tests/map/document_layout.h"
#include "tests/map/sample_map.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui_service.h"
#include "vector/layer_icons.h"
#include "vector/layer_point.h"
#include "vector/layer_polygon.h"
#include "vector/register_layers.h"

using namespace model;
using test_support::read_bytes;
using test_support::temp_dir;
using test_support::write_bytes;

namespace {

std::vector<std::uint32_t> kinds(const CSFMap& map) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i) out.push_back(map.GetLayer(i)->m_nKind);
    return out;
}

template <class Layer>
Layer* layer_of(const CSFMap& map) {
    for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i)
        if (auto* layer = dynamic_cast<Layer*>(map.GetLayer(i))) return layer;
    return nullptr;
}

std::vector<const CSFShape*> shapes_in(const std::vector<CSFFragment>& cells) {
    std::vector<const CSFShape*> out;
    for (const CSFFragment& cell : cells)
        for (const auto& shape : cell.m_aShapes) out.push_back(shape.get());
    return out;
}

// The pixels of the map drawn as an opened map is, cell by cell, fitted to a picture.
std::vector<platform::COLORREF> drawn(CSFMap& map) {
    platform::CImageDC dc(320, 240);
    map.SetViewport(320, 240);
    map.ZoomToExtent();
    map.DrawLayersGrid(&dc);
    std::vector<platform::COLORREF> pixels;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) pixels.push_back(dc.GetPixel(x, y));
    return pixels;
}

class MapDocument : public ::testing::Test {
protected:
    void SetUp() override {
        register_vector_layers();
        register_raster_layers();
    }
    test_support::recording_ui ui;
    temp_dir dir;
    platform::CImageDC dc{16, 16};
};

}  // namespace

TEST_F(MapDocument, ComposedMapSavesLoadsAndSavesAgainToTheSameBytes) {
    CSFMap composed;
    sample_map::compose(composed, sample_map::write_sources(dir.path()), &dc);
    ASSERT_EQ(kinds(composed), (std::vector<std::uint32_t>{kLayerPolygon, kLayerLine, kLayerPoint, kLayerIcons}));
    bool holes = false;
    for (const CSFPolygon& polygon : layer_of<CSFLayerPolygon>(composed)->m_pPolygons) holes |= polygon.m_nParts > 1;
    ASSERT_TRUE(holes);
    ASSERT_EQ(composed.Save(dir.file("first.kxr")), map_saved);

    CSFMap opened;
    ASSERT_EQ(opened.Load(dir.file("first.kxr"), &dc), map_loaded);
    EXPECT_EQ(opened.GetVersion(), 5u);
    EXPECT_EQ(kinds(opened), kinds(composed));
    EXPECT_EQ(opened.get_bounds(), composed.get_bounds());
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(opened.GetLayer(i)->m_strName, composed.GetLayer(i)->m_strName);
        EXPECT_EQ(opened.GetLayer(i)->m_nGridShapes, composed.GetLayer(i)->m_nGridShapes);
        EXPECT_EQ(opened.GetLayer(i)->m_pTransform, static_cast<georef::CTr*>(opened.get_transform()));
    }

    const CSFLayerPoint& towns = *layer_of<CSFLayerPoint>(opened);
    EXPECT_EQ(towns.m_nIcon, 1);
    // The date field is neither shown nor stored; the label is the first stored field.
    EXPECT_EQ(towns.m_aFieldNames, (std::vector<std::string>{"NAME", "POP", "CAPITAL"}));
    EXPECT_EQ(towns.m_aFieldLabel, (std::vector<std::uint8_t>{1, 0, 0}));
    const auto read_points = shapes_in(towns.m_pCells);
    const auto composed_points = shapes_in(layer_of<CSFLayerPoint>(composed)->m_pCells);
    ASSERT_EQ(read_points.size(), 5u);
    ASSERT_EQ(read_points.size(), composed_points.size());
    for (std::size_t i = 0; i < read_points.size(); ++i)
        for (int field = 0; field < 3; ++field)
            EXPECT_EQ(read_points[i]->GetAttribute(field).value, composed_points[i]->GetAttribute(field).value);

    const CSFLayerIcons& icons = *layer_of<CSFLayerIcons>(opened);
    const CSFLayerIcons& composed_icons = *layer_of<CSFLayerIcons>(composed);
    ASSERT_EQ(icons.m_nIcons, 2u);
    for (std::uint32_t i = 0; i < 2; ++i) {
        const CPicture& a = *icons.GetIcon(i);
        const CPicture& b = *composed_icons.GetIcon(i);
        ASSERT_EQ(a.get_width() * a.get_height(), b.get_width() * b.get_height());
        EXPECT_TRUE(std::equal(a.get_pixels(), a.get_pixels() + a.get_width() * a.get_height(), b.get_pixels()));
    }

    ASSERT_EQ(opened.Save(dir.file("second.kxr")), map_saved);
    EXPECT_EQ(read_bytes(dir.file("second.kxr")), read_bytes(dir.file("first.kxr")));

    // Whatever a field holds, the opened map shows what the composed map would.
    const std::vector<platform::COLORREF> after = drawn(opened);
    EXPECT_TRUE(after == drawn(composed));
    EXPECT_GT(std::count_if(after.begin(), after.end(), [](platform::COLORREF c) { return c != 0x00FFFFFF; }),
              320 * 240 / 4);
}

// Documents laid out from the tables, one per version the reader meets.
TEST_F(MapDocument, EveryVersionLoadsAsItsLayoutSays) {
    namespace layout = document_layout;
    for (std::uint32_t version = 1; version <= 6; ++version) {
        SCOPED_TRACE(version);
        write_bytes(dir.file("old.kxr"), layout::write(version).bytes);
        CSFMap map;
        ASSERT_EQ(map.Load(dir.file("old.kxr"), &dc), map_loaded);
        EXPECT_EQ(map.GetVersion(), version);
        ASSERT_EQ(kinds(map), (std::vector<std::uint32_t>{kLayerPoint, kLayerPolygon, kLayerIcons}));

        const CSFLayerPoint& points = *layer_of<CSFLayerPoint>(map);
        EXPECT_EQ(points.m_strName, layout::kPointName);
        EXPECT_EQ(points.m_crContour, layout::kPointContour);
        EXPECT_EQ(points.m_crFill, version >= 3 ? layout::kPointFill : kDefaultFill);
        EXPECT_EQ(points.m_nIcon, -1);
        EXPECT_EQ(points.m_aFieldNames, (std::vector<std::string>{"ID", "AREA", "NAME"}));
        EXPECT_EQ(points.m_aFieldLabel, version >= 5 ? (std::vector<std::uint8_t>{0, 0, 1})
                                                     : (std::vector<std::uint8_t>{0, 0, 0}));
        const auto read = shapes_in(points.m_pCells);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(dynamic_cast<const CSFPoint&>(*read[1]).m_pt, (CSFPt{10.75, 20.25}));
        EXPECT_EQ(read[0]->GetAttribute(0).get_int(), -5);
        EXPECT_EQ(read[1]->GetAttribute(1).get_double(), 7.5);
        EXPECT_EQ(read[1]->GetAttribute(2).get_text(), u"Z\u00e96");

        // At version 3 the outlines' own record names the layer; its fill is not the layer's.
        const CSFLayerPolygon& polygons = *layer_of<CSFLayerPolygon>(map);
        EXPECT_EQ(polygons.m_strName, version == 3 ? layout::kOutlineName : layout::kPolygonName);
        EXPECT_EQ(polygons.m_crContour, version == 3 ? layout::kOutlineContour : layout::kPolygonContour);
        EXPECT_EQ(polygons.m_crFill, version >= 3 ? layout::kPolygonFill : kDefaultFill);
        const auto rings = shapes_in(polygons.m_pPolygonCells);
        const auto outlines = shapes_in(polygons.m_pLineCells);
        ASSERT_EQ(rings.size(), 1u);
        ASSERT_EQ(outlines.size(), 1u);
        EXPECT_EQ(dynamic_cast<const CSFPolygon&>(*rings[0]).m_pPoints[2], (CSFPt{10.5, 20.75}));
        EXPECT_EQ(dynamic_cast<const CSFLine&>(*outlines[0]).m_nPoints, 3u);

        const CPicture& icon = *layer_of<CSFLayerIcons>(map)->GetIcon(0);
        ASSERT_EQ(icon.get_width() * icon.get_height(), 6u);
        EXPECT_TRUE(std::equal(icon.get_pixels(), icon.get_pixels() + 6, layout::kIconPixels));
    }
    // Version 1 with no records at all.
    write_bytes(dir.file("v1.kxr"), {'k', 'x', 'r', 1, 0, 0, 0, 0, 0, 0, 0});
    CSFMap empty;
    EXPECT_EQ(empty.Load(dir.file("v1.kxr"), &dc), map_loaded);
    EXPECT_EQ(empty.GetLayerCount(), 0u);
}

// A document cut anywhere keeps the layers whose records began before the cut (the one cut
// included) and answers 1; before the magic is whole it is no map document.
TEST_F(MapDocument, DocumentsCutAnywhereKeepTheLayersReadSoFar) {
    for (std::uint32_t version : {3u, 5u}) {
        const document_layout::document doc = document_layout::write(version);
        for (std::size_t cut = 0; cut < doc.bytes.size(); ++cut) {
            // Version 3 differs from 5 inside the polygon layer's record alone.
            if (version == 3 && (cut < doc.layer_starts[1] || cut > doc.layer_starts[2])) continue;
            write_bytes(dir.file("cut.kxr"), std::vector<std::uint8_t>(doc.bytes.begin(), doc.bytes.begin() + cut));
            CSFMap map;
            const load_result result = map.Load(dir.file("cut.kxr"), &dc);
            std::uint32_t begun = 0;
            for (std::size_t start : doc.layer_starts) begun += start + 4 <= cut;
            ASSERT_EQ(result, cut < 3 ? not_kxr : document_unreadable) << version << " cut at " << cut;
            ASSERT_EQ(map.GetLayerCount(), begun) << version << " cut at " << cut;
        }
    }
}

TEST_F(MapDocument, LyingOrUnknownDocumentsEndInTheirResults) {
    const document_layout::document doc = document_layout::write(5);
    struct change {
        const char* what;
        std::string field;  // where to write the value; empty: the bytes are given whole
        std::uint32_t value;
        load_result expected;
        std::uint32_t layers;  // kept in the map
    };
    const change changes[] = {
        {"records beyond the file", "count", 0xFFFFFFFF, document_unreadable, 3},
        {"one record more than there are", "count", 4, document_unreadable, 3},
        {"one record fewer", "count", 2, map_loaded, 2},
        {"a grid far larger than the file", "point.columns", 0x10000, document_unreadable, 1},
        {"points beyond the file", "point.cell_shapes", 0xFFFFFFFF, document_unreadable, 1},
        {"an attribute block of neither 0 nor 1", "attributes", 2, document_unreadable, 1},
        {"fields beyond the file", "fields", 0x7FFFFFFF, document_unreadable, 1},
        {"ring parts beyond the file", "polygon.parts", 0x40000000, document_unreadable, 2},
        {"icons beyond the file", "icons", 0x20000000, document_unreadable, 3},
        {"an icon larger than the file", "icon.width", 0x10000, document_unreadable, 3},
        {"a tag of no kind", "polygon.tag", 7, document_unreadable, 1},
        {"a record that is no RRE record", "polygon.tag", kLayerRRE, document_unreadable, 2},
        {"a short version of another magic", "magic", 0x0052584B, not_kxr, 0},
    };
    auto layer_start = [&](std::size_t i) { return doc.layer_starts[i]; };
    for (const change& c : changes) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = doc.bytes;
        std::size_t at = c.field == "polygon.tag" ? layer_start(1) : c.field == "magic" ? 0 : doc.at.at(c.field);
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
        if (c.field == "magic") bytes.resize(4);
        write_bytes(dir.file("lying.kxr"), bytes);
        CSFMap map;
        EXPECT_EQ(map.Load(dir.file("lying.kxr"), &dc), c.expected);
        EXPECT_EQ(map.GetLayerCount(), c.layers);
    }

    CSFMap map;
    EXPECT_EQ(map.Load(dir.file("missing.kxr"), &dc), file_unreadable);
    write_bytes(dir.file("map.kx"), doc.bytes);
    EXPECT_EQ(map.Load(dir.file("map.kx"), &dc), format_unknown);
    EXPECT_EQ(map.Load(dir.file("kxr"), &dc), format_unknown);
    EXPECT_EQ(map.GetLayerCount(), 0u);

    // Bytes changed at random end in a result, never in a crash or a runaway allocation.
    std::mt19937 random(14);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> bytes = doc.bytes;
        const int flips = 1 + round % 8;
        for (int i = 0; i < flips; ++i)
            bytes[11 + random() % (bytes.size() - 11)] = static_cast<std::uint8_t>(random());
        write_bytes(dir.file("garbage.kxr"), bytes);
        CSFMap garbage;
        const load_result result = garbage.Load(dir.file("garbage.kxr"), &dc);
        ASSERT_TRUE(result == map_loaded || result == document_unreadable) << round;
    }
}
