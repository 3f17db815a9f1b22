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

// Even-odd: a point is inside when a ray from it crosses the rings an odd number of times.
bool inside_even_odd(const std::vector<part>& rings, const CSFPt& p) {
    bool inside = false;
    for (const part& ring : rings)
        for (std::size_t i = 0, n = ring.size(); i < n; ++i) {
            const CSFPt& a = ring[i];
            const CSFPt& b = ring[(i + 1) % n];
            if ((a.Y > p.Y) != (b.Y > p.Y) && p.X < a.X + (p.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y)) inside = !inside;
        }
    return inside;
}

double overlap(double a0, double a1, double b0, double b1) { return std::max(0.0, std::min(a1, b1) - std::max(a0, b0)); }

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

// A square with a square hole cut 3 x 3: the middle cell lies in the hole and gets nothing, every
// other cell one piece, the part of the square less the part of the hole in it (rectangles, so
// the areas are worked out by hand). A hole inside one cell becomes part of that cell's one piece.
TEST(PolygonRegrid, HolesAreCutOutAndEachAreaIsOnePiece) {
    test_support::recording_ui ui;
    const part outer = box_ring(0.1, 0.1, 2.9, 2.9), hole = box_ring(0.9, 0.9, 2.1, 2.1);
    auto layer = polygon_layer({{outer, hole}}, {0, 0, 2.9999, 2.9999});
    ASSERT_EQ(layer->Regrid(3, 3), 0);
    EXPECT_EQ(layer->m_nPolygonPieces, 8u);
    for (std::size_t c = 0; c < 9; ++c) {
        const CSFRect& box = layer->m_pPolygonCells[c].m_rcBox;
        const double expected = overlap(0.1, 2.9, box.minX, box.maxX) * overlap(0.1, 2.9, box.minY, box.maxY) -
                                overlap(0.9, 2.1, box.minX, box.maxX) * overlap(0.9, 2.1, box.minY, box.maxY);
        const auto& shapes = layer->m_pPolygonCells[c].m_aShapes;
        ASSERT_EQ(shapes.size(), c == 4 ? 0u : 1u) << c;
        if (c != 4) {
            EXPECT_NEAR(area_of(dynamic_cast<const CSFPolygon&>(*shapes[0]).m_pPoints), expected, 1e-12) << c;
        }
    }

    const std::vector<part> lakes{box_ring(0.1, 0.1, 0.9, 0.9), box_ring(0.3, 0.3, 0.5, 0.6), box_ring(0.6, 0.2, 0.8, 0.4)};
    auto lake = polygon_layer({lakes}, {0, 0, 2.9999, 2.9999});
    ASSERT_EQ(lake->Regrid(3, 3), 0);
    ASSERT_EQ(lake->m_nPolygonPieces, 1u);
    const auto piece = pieces_of(lake->m_pPolygonCells)[0];
    EXPECT_EQ(piece.points.size(), 4u + 2 * (4 + 2));
    EXPECT_NEAR(area_of(piece.points), 0.64 - 0.06 - 0.04, 1e-12);
    // Filled with the alternate rule, the one ring leaves both lakes open.
    for (const CSFPt& p : {CSFPt{0.2, 0.2}, CSFPt{0.4, 0.45}, CSFPt{0.7, 0.3}, CSFPt{0.55, 0.8}, CSFPt{0.95, 0.5}})
        EXPECT_EQ(inside_even_odd({piece.points}, p), inside_even_odd(lakes, p))
            << p.X << " " << p.Y;
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
    EXPECT_EQ(layer->outline_result(), regrid_failed);
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(layer->m_nPieceParts, 0u);
    EXPECT_EQ(layer->m_nPolygonPieces, 1u);
}

// Random polygons of several rings (stars with holes and islands, rings crossing themselves and
// each other): in every cell the pieces cover what the polygon covers there by the even-odd rule,
// checked at sample points against the rings themselves, and their areas add up to the area of
// the whole polygon clipped to that cell at once.
TEST(PolygonRegrid, PiecesCoverWhatThePolygonCoversInEachCell) {
    test_support::recording_ui ui;
    std::mt19937 random(77);
    std::uniform_real_distribution<double> x(-10.0, -7.0), y(50.0, 52.0), size(0.05, 1.5), unit(0.0, 1.0);
    std::vector<std::vector<part>> records;
    for (int i = 0; i < 60; ++i) {
        const CSFPt centre{x(random), y(random)};
        const double r = size(random);
        std::vector<part> rings{star(random, centre, r, 5 + int(random() % 40))};
        if (i % 3 == 0) rings.push_back(star(random, centre, r * 0.25, 4 + int(random() % 9)));  // a lake
        if (i % 6 == 0) rings.push_back(star(random, centre, r * 0.06, 3));                      // an island in it
        if (i % 5 == 1) {                                                                          // crossing itself
            part tangle;
            for (int k = 0; k < 12; ++k) tangle.push_back({centre.X + r * (unit(random) - 0.5), centre.Y + r * (unit(random) - 0.5)});
            rings.push_back(tangle);
        }
        records.push_back(rings);
    }
    auto layer = polygon_layer(records, {-11.5, 48.5, -5.5, 53.5});
    ASSERT_EQ(layer->Regrid(7, 5), 0);

    using namespace polygon_clip;
    for (std::size_t r = 0; r < records.size(); ++r) {
        const auto pieces = pieces_of(layer->m_pPolygonCells, int(r + 1));
        gpc_polygon subject;
        for (const part& ring : records[r]) {
            std::vector<gpc_vertex> vertices;
            for (const CSFPt& p : ring) vertices.push_back({p.X, p.Y});
            gpc_add_contour(subject, vertices.data(), vertices.size(), 0);
        }
        for (std::size_t c = 0; c < layer->m_pPolygonCells.size(); ++c) {
            const CSFRect& b = layer->m_pPolygonCells[c].m_rcBox;
            std::vector<part> in_cell;
            double area = 0.0;
            for (const piece& p : pieces) {
                if (p.cell != int(c)) continue;
                in_cell.push_back(p.points);
                area += static_cast<double>(counties::signed_area(p.points));
                for (const CSFPt& pt : p.points) ASSERT_TRUE(inside(b, pt, 1e-12)) << r << " " << c;
            }
            const gpc_vertex corners[4] = {{b.minX, b.minY}, {b.maxX, b.minY}, {b.maxX, b.maxY}, {b.minX, b.maxY}};
            gpc_polygon rectangle, result;
            gpc_add_contour(rectangle, corners, 4, 0);
            gpc_polygon_clip(GPC_INT, subject, rectangle, result);
            double expected = 0.0;
            std::size_t outer = 0;
            for (std::size_t k = 0; k < result.contour.size(); ++k) {
                std::vector<CSFPt> points;
                for (const gpc_vertex& v : result.contour[k].vertex) points.push_back({v.x, v.y});
                expected += static_cast<double>(counties::signed_area(points));
                outer += result.hole[k] == 0;
            }
            EXPECT_NEAR(area, expected, 1e-9 * (b.maxX - b.minX) * (b.maxY - b.minY)) << r << " " << c;
            EXPECT_EQ(in_cell.size(), outer) << r << " " << c;
            for (int k = 0; k < 40; ++k) {
                const CSFPt p{b.minX + unit(random) * (b.maxX - b.minX), b.minY + unit(random) * (b.maxY - b.minY)};
                EXPECT_EQ(inside_even_odd(in_cell, p), inside_even_odd(records[r], p)) << r << " " << c << " " << k;
            }
        }
    }
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
