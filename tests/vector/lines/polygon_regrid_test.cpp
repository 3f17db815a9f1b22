#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "shapes/polygon_clip.h"
#include "tests/support/recording_dc.h"
#include "tests/support/recording_ui_service.h"
#include "tests/vector/lines/counties.h"
#include "tests/vector/lines/regrid_support.h"
#include "vector/layer_polygon.h"

using namespace model;

using namespace regrid_test;

namespace {

// A polygon layer of the rings (one record each, outlines and fills alike) over the box.
std::unique_ptr<CSFLayerPolygon> polygon_layer(const std::vector<std::vector<part>>& records, CSFRect bounds) {
    auto layer = std::make_unique<CSFLayerPolygon>();
    int record = 0;
    for (const auto& rings : records) {
        ++record;
        layer->m_pShapes.push_back(make_shape<CSFLine>(record, rings));
        layer->m_pPolygons.push_back(make_shape<CSFPolygon>(record, rings));
    }
    layer->m_nShapes = static_cast<std::uint32_t>(records.size());
    layer->m_rcBounds = bounds;
    return layer;
}

// Cells exactly 1 wide and high: 0, 1, 2 along both axes.
const CSFRect square{0, 0, 1.9999, 1.9999};

part box_ring(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}}; }

double area_of(const std::vector<CSFPt>& points) {
    return static_cast<double>(std::fabs(counties::signed_area(points.data(), points.size())));
}

// A star-shaped ring around a centre, closed: simple whatever its radii.
part star(std::mt19937& random, CSFPt centre, double radius, int n) {
    std::uniform_real_distribution<double> unit(0.3, 1.0);
    part ring;
    for (int k = 0; k < n; ++k) {
        const double angle = -2 * std::numbers::pi * k / n;
        const double r = radius * unit(random);
        ring.push_back({centre.X + r * std::cos(angle), centre.Y + r * std::sin(angle)});
    }
    ring.push_back(ring.front());
    return ring;
}

}  // namespace

TEST(PolygonRegrid, SquareInsideOneCellIsOnePieceThere) {
    test_support::recording_ui ui;
    auto layer = polygon_layer({{box_ring(0.2, 0.2, 0.6, 0.7)}}, square);
    ASSERT_EQ(layer->Regrid(2, 2), 0);
    const auto pieces = pieces_of(layer->m_pPolygonCells);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].cell, 0);
    EXPECT_EQ(pieces[0].record, 1);
    EXPECT_DOUBLE_EQ(area_of(pieces[0].points), 0.2);
    EXPECT_EQ(layer->m_nPolygonPieces, 1u);
    EXPECT_EQ(layer->m_nPolygonParts, 1u);
    EXPECT_EQ(layer->m_nPolygonPoints, 4u);
}

TEST(PolygonRegrid, SquareAcrossABorderIsOnePieceOnEachSide) {
    test_support::recording_ui ui;
    auto layer = polygon_layer({{box_ring(0.5, 0.2, 1.5, 0.6)}}, square);
    ASSERT_EQ(layer->Regrid(2, 2), 0);
    const auto pieces = pieces_of(layer->m_pPolygonCells);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].cell, 0);
    EXPECT_EQ(pieces[1].cell, 1);
    for (const piece& p : pieces) {
        EXPECT_DOUBLE_EQ(area_of(p.points), 0.2);
        for (const CSFPt& pt : p.points) EXPECT_TRUE(inside(layer->m_pPolygonCells[std::size_t(p.cell)].m_rcBox, pt));
    }
}

TEST(PolygonRegrid, HoleIsAFilledPieceOfItsOwnInEveryCellItTouches) {
    test_support::recording_ui ui;
    auto layer = polygon_layer({{box_ring(0.2, 0.2, 1.8, 0.8), box_ring(0.6, 0.4, 1.4, 0.6)}}, square);
    ASSERT_EQ(layer->Regrid(2, 2), 0);
    for (int cell : {0, 1}) {
        const auto& shapes = layer->m_pPolygonCells[std::size_t(cell)].m_aShapes;
        ASSERT_EQ(shapes.size(), 2u) << cell;
        EXPECT_DOUBLE_EQ(area_of(dynamic_cast<const CSFPolygon&>(*shapes[0]).m_pPoints), 0.8 * 0.6);
        EXPECT_DOUBLE_EQ(area_of(dynamic_cast<const CSFPolygon&>(*shapes[1]).m_pPoints), 0.4 * 0.2);
    }
    EXPECT_EQ(layer->m_nPolygonPieces, 4u);
}

TEST(PolygonRegrid, ProgressRunsOverTheOutlinesThenOverThePolygons) {
    test_support::recording_ui ui;
    auto layer = polygon_layer({{box_ring(0.2, 0.2, 0.6, 0.7)}, {box_ring(1.2, 0.2, 1.6, 0.7)}}, square);
    ASSERT_EQ(layer->Regrid(2, 2), 0);
    ASSERT_EQ(ui.progress_windows().size(), 2u);
    for (const auto& window : ui.progress_windows()) {
        EXPECT_EQ(window.upper, 1);
        EXPECT_EQ(window.positions, (std::vector<int>{0, 1}));
        EXPECT_TRUE(window.closed);
    }
}

TEST(PolygonRegrid, FailedOutlinePassDoesNotStopThePolygons) {
    test_support::recording_ui ui;
    // An outline that starts outside the grid, as a wrong header box leaves it.
    auto layer = polygon_layer({{box_ring(0.2, 0.2, 0.6, 0.7)}}, square);
    layer->m_pShapes[0].m_pPoints[0] = {7.0, 7.0};
    EXPECT_EQ(layer->Regrid(2, 2), 0);
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(layer->m_nPieceParts, 0u);
    EXPECT_EQ(layer->m_nPolygonPieces, 1u);
}

// Rings are clipped only against the cells their box meets; clipping against every cell in
// order gives the same pieces in the same cells in the same order.
TEST(PolygonRegrid, CuttingOnlyTheCellsARingMeetsGivesThePiecesOfCuttingAllCells) {
    test_support::recording_ui ui;
    std::mt19937 random(77);
    std::uniform_real_distribution<double> x(-10.0, -7.0), y(50.0, 52.0), size(0.01, 1.5);
    std::vector<std::vector<part>> records;
    for (int i = 0; i < 150; ++i)
        records.push_back({star(random, {x(random), y(random)}, size(random), 5 + int(random() % 40))});
    auto layer = polygon_layer(records, {-11.5, 48.5, -5.5, 53.5});
    ASSERT_EQ(layer->Regrid(7, 5), 0);

    using namespace polygon_clip;
    std::vector<std::vector<std::vector<CSFPt>>> expected(layer->m_pPolygonCells.size());
    for (const auto& rings : records) {
        for (const part& ring : rings) {
            std::vector<gpc_vertex> vertices;
            for (const CSFPt& p : ring) vertices.push_back({p.X, p.Y});
            gpc_polygon subject, result;
            gpc_add_contour(subject, vertices.data(), vertices.size(), 1);
            for (std::size_t c = 0; c < expected.size(); ++c) {
                const CSFRect& b = layer->m_pPolygonCells[c].m_rcBox;
                const gpc_vertex corners[4] = {{b.minX, b.minY}, {b.maxX, b.minY}, {b.maxX, b.maxY}, {b.minX, b.maxY}};
                gpc_polygon clip;
                gpc_add_contour(clip, corners, 4, 1);
                gpc_polygon_clip(GPC_INT, subject, clip, result);
                for (const auto& contour : result.contour) {
                    std::vector<CSFPt> points;
                    for (const gpc_vertex& v : contour.vertex) points.push_back({v.x, v.y});
                    expected[c].push_back(points);
                }
            }
        }
    }
    std::size_t total = 0;
    for (std::size_t c = 0; c < expected.size(); ++c) {
        const auto& shapes = layer->m_pPolygonCells[c].m_aShapes;
        ASSERT_EQ(shapes.size(), expected[c].size()) << c;
        for (std::size_t k = 0; k < shapes.size(); ++k)
            EXPECT_EQ(dynamic_cast<const CSFPolygon&>(*shapes[k]).m_pPoints, expected[c][k]) << c << " " << k;
        total += shapes.size();
    }
    EXPECT_EQ(layer->m_nPolygonPieces, total);
    EXPECT_GT(total, records.size());
}

// Random simple rings of every size, also rings lying on the cell borders: the areas of the
// pieces of a ring add up to the ring's area, and every piece lies in its cell.
TEST(PolygonRegrid, PiecesOfASimpleRingAddUpToItsArea) {
    test_support::recording_ui ui;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> x(100.0, 103.0), y(-3.0, -1.0), size(1e-4, 1.4);
    std::vector<std::vector<part>> records;
    for (int i = 0; i < 200; ++i) records.push_back({star(random, {x(random), y(random)}, size(random), 3 + int(random() % 60))});
    // Rings whose edges lie on cell borders, and one as large as the grid.
    records.push_back({box_ring(99.0, -4.0, 104.0, 0.0)});
    auto layer = polygon_layer(records, {98.5, -4.5, 104.5, 0.5});
    ASSERT_EQ(layer->Regrid(10, 10), 0);
    const CSFRect c = layer->m_pPolygonCells[33].m_rcBox;
    records.push_back({box_ring(c.minX, c.minY, c.maxX + 0.3, c.maxY)});
    layer->m_pPolygons.push_back(make_shape<CSFPolygon>(int(records.size()), records.back()));
    ASSERT_EQ(layer->Regrid(10, 10), 0);

    for (std::size_t r = 0; r < records.size(); ++r) {
        double total = 0.0;
        for (const piece& p : pieces_of(layer->m_pPolygonCells, int(r + 1))) {
            total += area_of(p.points);
            for (const CSFPt& pt : p.points)
                ASSERT_TRUE(inside(layer->m_pPolygonCells[std::size_t(p.cell)].m_rcBox, pt, 1e-13));
        }
        const double expected = area_of(records[r][0]);
        EXPECT_NEAR(total, expected, expected * 1e-9) << r;
    }
}

TEST(PolygonRegrid, AwkwardRingsAreCutWithoutTrouble) {
    test_support::recording_ui ui;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto layer = polygon_layer({{{{0.5, 0.5}}},                                      // one point
                                {{{0.5, 0.5}, {1.5, 1.5}, {0.5, 0.5}}},              // no area
                                {{}},                                                // no points
                                {{{0.2, 0.2}, {nan, 0.3}, {1.8, 0.2}, {1.8, 0.4}, {0.2, 0.2}}},
                                {{{0.5, 0.5}, {1.5, 1.5}, {1.5, 0.5}, {0.5, 1.5}, {0.5, 0.5}}}},  // a bow tie
                               square);
    ASSERT_EQ(layer->Regrid(2, 2), 0);
    EXPECT_TRUE(pieces_of(layer->m_pPolygonCells, 1).empty());
    EXPECT_TRUE(pieces_of(layer->m_pPolygonCells, 2).empty());
    EXPECT_TRUE(pieces_of(layer->m_pPolygonCells, 3).empty());
    double triangle = 0.0;
    for (const piece& p : pieces_of(layer->m_pPolygonCells, 4)) triangle += area_of(p.points);
    EXPECT_NEAR(triangle, 1.6 * 0.2 / 2, 1e-12);
    double bow_tie = 0.0;
    for (const piece& p : pieces_of(layer->m_pPolygonCells, 5)) bow_tie += area_of(p.points);
    EXPECT_NEAR(bow_tie, 0.5, 1e-12);
}

TEST(PolygonRegrid, CellsDrawFillsBeforeOutlinesAndNothingWithoutPolygonCells) {
    test_support::recording_ui ui;
    map_with_layer m(polygon_layer({{box_ring(0.2, 0.2, 1.8, 0.8)}}, square), 400, 300);
    auto& layer = dynamic_cast<CSFLayerPolygon&>(*m.layer);
    layer.m_crContour = 0x000000FF;
    layer.m_crFill = 0x0000FF00;
    test_support::recording_dc dc;
    layer.DrawCells(&dc);
    EXPECT_TRUE(dc.calls().empty());

    ASSERT_EQ(layer.Regrid(2, 2), 0);
    layer.DrawCells(&dc);
    int fills = 0, strokes = 0;
    for (const auto& call : dc.calls()) {
        if (call.text == "FillPath") {
            EXPECT_EQ(strokes, 0) << "a fill after an outline";
            EXPECT_EQ(call.brush, 0x0000FF00u);
            ++fills;
        }
        if (call.text.rfind("LineTo", 0) == 0) {
            EXPECT_EQ(call.pen, 0x000000FFu);
            ++strokes;
        }
    }
    EXPECT_EQ(fills, 2);
    EXPECT_EQ(strokes, 6);
}
