#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "georef/transform.h"
#include "platform/image_dc.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/recording_ui_service.h"
#include "tests/vector/lines/counties.h"
#include "tests/vector/lines/regrid_support.h"
#include "vector/layer_polygon.h"
#include "vector/register_layers.h"

using namespace model;

using namespace regrid_test;

namespace {

struct counties_file {
    test_support::temp_dir dir;
    counties::map_data map = counties::make_counties(1867);
    std::string path(bool ring_per_record) {
        const std::string base = dir.file(ring_per_record ? "rings" : "counties");
        counties::write_shapefile(base, map, ring_per_record);
        return base + ".shp";
    }
};

// The areas GDAL reads from the file, one per record (holes taken off, islands added).
std::vector<double> areas_read_by_gdal(const std::string& shp) {
    const std::string ogrinfo = test_support::find_program("ogrinfo");
    if (ogrinfo.empty()) return {};
    const auto result = test_support::run_process(
        ogrinfo, {"-ro", "-q", "-sql", "SELECT OGR_GEOM_AREA AS area FROM counties", shp});
    std::vector<double> areas;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find("area (Real) = ");
        if (at != std::string::npos) areas.push_back(std::stod(line.substr(at + 14)));
    }
    return areas;
}

}  // namespace

TEST(Counties, GeneratedMapIsWhatGdalReads) {
    counties_file file;
    EXPECT_GT(file.map.vertices, 5000u);
    const auto areas = areas_read_by_gdal(file.path(false));
    ASSERT_EQ(areas.size(), file.map.counties.size()) << "ogrinfo missing or unreadable file";
    for (std::size_t k = 0; k < areas.size(); ++k) {
        long double area = 0;
        for (const auto& ring : file.map.counties[k].rings) area -= counties::signed_area(ring);
        // GDAL sums products of whole coordinates, which costs it some 1e-15 of a degree squared.
        EXPECT_NEAR(areas[k], static_cast<double>(area), 1e-9 * static_cast<double>(area) + 1e-13) << k;
    }
}

// Every ring its own record, so that the pieces of a record are the pieces of one ring.
TEST(Counties, PiecesOfEveryRingAddUpToItsAreaAndItsLength) {
    counties_file file;
    test_support::recording_ui ui;
    register_vector_layers();
    CSFMap map;
    CSFLayer* added = nullptr;
    ASSERT_EQ(map.AddLayerFromFile(file.path(true), &added), 0u);
    auto& layer = dynamic_cast<CSFLayerPolygon&>(*added);
    EXPECT_EQ(layer.m_rcBounds, file.map.bounds);
    ASSERT_EQ(layer.Regrid(10, 10), 0);
    EXPECT_TRUE(ui.messages().empty());

    std::size_t polygon_pieces = 0, line_pieces = 0;
    for (const CSFPolygon& ring : layer.m_pPolygons) {
        const auto pieces = pieces_of(layer.m_pPolygonCells, ring.m_nRecord);
        long double area = 0;
        for (const piece& p : pieces) {
            area += std::fabs(counties::signed_area(p.points));
            for (const CSFPt& pt : p.points)
                ASSERT_TRUE(inside(layer.m_pPolygonCells[std::size_t(p.cell)].m_rcBox, pt, 1e-12)) << ring.m_nRecord;
        }
        const long double expected = std::fabs(counties::signed_area(ring.m_pPoints));
        EXPECT_LE(std::fabs(area - expected), 1e-9L * expected) << ring.m_nRecord;
        polygon_pieces += pieces.size();

        const auto outline = pieces_of(layer.m_pLineCells, ring.m_nRecord);
        double perimeter = 0.0;
        for (const piece& p : outline) {
            perimeter += length(p.points);
            for (const CSFPt& pt : p.points) ASSERT_TRUE(inside(layer.m_pLineCells[std::size_t(p.cell)].m_rcBox, pt));
        }
        EXPECT_NEAR(perimeter, length(ring.m_pPoints), 1e-9 * perimeter + 2e-5 * ring.m_pPoints.size());
        line_pieces += outline.size();
    }
    EXPECT_EQ(layer.m_nPolygonPieces, polygon_pieces);
    EXPECT_EQ(layer.m_nPieceParts, line_pieces);
    // The map is cut for real: far more pieces than rings in both grids.
    EXPECT_GT(polygon_pieces, layer.m_pPolygons.size() + 100);
    EXPECT_GT(line_pieces, layer.m_pShapes.size() + 100);
}

// Drawn cell by cell after cutting, the map looks as drawn whole: pixels may differ only
// where a new corner of a piece rounds to another whole pixel than the edge it lies on.
TEST(Counties, CutMapLooksAsTheWholeMap) {
    counties_file file;
    test_support::recording_ui ui;
    register_vector_layers();
    CSFMap map;
    CSFLayer* layer = nullptr;
    ASSERT_EQ(map.AddLayerFromFile(file.path(false), &layer), 0u);
    map.SetViewport(1200, 700);
    map.ZoomToExtent();

    platform::CImageDC whole(1200, 700), cut(1200, 700);
    layer->DrawShapes(&whole);
    ASSERT_EQ(layer->Regrid(10, 10), 0);
    layer->DrawCells(&cut);
    // PLOTWRIGHT_KEEP_PICTURES names a folder to keep both pictures in, for a person to look at.
    const char* keep = std::getenv("PLOTWRIGHT_KEEP_PICTURES");
    const std::string folder = keep ? std::string(keep) : file.dir.path();
    const std::string a = folder + "/whole.png", b = folder + "/cut.png";
    ASSERT_TRUE(whole.SavePng(a));
    ASSERT_TRUE(cut.SavePng(b));
    // Lakes are holes in both pictures: the middle of every county's lake is not filled.
    const platform::COLORREF fill = layer->m_crFill;
    int lakes = 0;
    for (const auto& county : file.map.counties) {
        for (std::size_t r = 1; r < county.rings.size(); ++r) {
            if (counties::signed_area(county.rings[r]) <= 0) continue;  // an island, turning the way outer rings do
            CSFRect box{county.rings[r][0].X, county.rings[r][0].Y, county.rings[r][0].X, county.rings[r][0].Y};
            for (const CSFPt& p : county.rings[r]) box.Union({p.X, p.Y, p.X, p.Y});
            const bool island_in_it = r + 1 < county.rings.size() && counties::signed_area(county.rings[r + 1]) < 0 &&
                                      county.rings[r + 1][0].X > box.minX && county.rings[r + 1][0].X < box.maxX &&
                                      county.rings[r + 1][0].Y > box.minY && county.rings[r + 1][0].Y < box.maxY;
            if (island_in_it) continue;
            CSFPt centre{0, 0};
            for (const CSFPt& p : county.rings[r]) centre = {centre.X + p.X / county.rings[r].size(), centre.Y + p.Y / county.rings[r].size()};
            const platform::CPoint at = map.get_transform()->GeoToScreen(centre.X, centre.Y);
            EXPECT_NE(whole.GetPixel(at.x, at.y), fill) << "lake of a county filled";
            EXPECT_NE(cut.GetPixel(at.x, at.y), fill) << "lake of a county filled after cutting";
            ++lakes;
        }
    }
    EXPECT_GT(lakes, 3);
    int painted = 0;
    const int differing = differing_pixels(a, b, &painted);
    EXPECT_GT(painted, 1200 * 700 / 4);
    EXPECT_EQ(differing, 0);
}
