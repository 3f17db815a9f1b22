#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "shapes/ordered_cut.h"
#include "tests/support/recording_ui_service.h"
#include "tests/vector/lines/regrid_support.h"
#include "vector/layer_polygon.h"

using namespace model;
using namespace regrid_test;

namespace {

// Everything a regrid leaves behind that a saved document or the operator sees.
struct outcome {
    int result = -1;
    std::vector<piece> lines, polygons;
    std::uint32_t piece_parts = 0, piece_points = 0, grid_shapes = 0;
    std::uint32_t polygon_pieces = 0, polygon_points = 0;
    std::vector<std::string> messages;
    std::vector<std::vector<int>> progress;
};

bool same_points(const part& a, const part& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].X != b[i].X || a[i].Y != b[i].Y) return false;
    return true;
}

void expect_same(const outcome& serial, const outcome& parallel) {
    EXPECT_EQ(parallel.result, serial.result);
    EXPECT_EQ(parallel.messages, serial.messages);
    EXPECT_EQ(parallel.progress, serial.progress);
    EXPECT_EQ(parallel.piece_parts, serial.piece_parts);
    EXPECT_EQ(parallel.piece_points, serial.piece_points);
    EXPECT_EQ(parallel.grid_shapes, serial.grid_shapes);
    EXPECT_EQ(parallel.polygon_pieces, serial.polygon_pieces);
    EXPECT_EQ(parallel.polygon_points, serial.polygon_points);
    for (const auto& [a, b] : {std::pair{&serial.lines, &parallel.lines}, {&serial.polygons, &parallel.polygons}}) {
        ASSERT_EQ(a->size(), b->size());
        for (std::size_t i = 0; i < a->size(); ++i) {
            ASSERT_EQ((*a)[i].cell, (*b)[i].cell) << i;
            ASSERT_EQ((*a)[i].record, (*b)[i].record) << i;
            ASSERT_TRUE(same_points((*a)[i].points, (*b)[i].points)) << i;
        }
    }
}

outcome regrid_with(CSFLayerLine& layer, int threads, std::uint32_t columns, std::uint32_t rows) {
    test_support::recording_ui ui;
    set_cut_threads(threads);
    outcome out;
    out.result = layer.Regrid(columns, rows);
    set_cut_threads(0);
    out.lines = pieces_of(layer.m_pLineCells);
    out.piece_parts = layer.m_nPieceParts;
    out.piece_points = layer.m_nPiecePoints;
    out.grid_shapes = layer.m_nGridShapes;
    if (auto* polygons = dynamic_cast<CSFLayerPolygon*>(&layer)) {
        out.polygons = pieces_of(polygons->m_pPolygonCells);
        out.polygon_pieces = polygons->m_nPolygonPieces;
        out.polygon_points = polygons->m_nPolygonPoints;
    }
    for (const auto& message : ui.messages()) out.messages.push_back(message.text);
    for (const auto& window : ui.progress_windows()) out.progress.push_back(window.positions);
    return out;
}

// Random walks across a box, now and then along a cell border or through a repeated point.
part wander(std::mt19937& random, const CSFRect& box, int count) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    part points;
    CSFPt p{box.minX + unit(random) * (box.maxX - box.minX), box.minY + unit(random) * (box.maxY - box.minY)};
    for (int i = 0; i < count; ++i) {
        points.push_back(p);
        if (unit(random) < 0.05) points.push_back(p);
        p.X = std::clamp(p.X + (unit(random) - 0.5) * 2.0, box.minX, box.maxX);
        p.Y = std::clamp(p.Y + (unit(random) - 0.5) * 2.0, box.minY, box.maxY);
        if (unit(random) < 0.1) p.X = std::round(p.X);
    }
    return points;
}

part star(std::mt19937& random, CSFPt centre, double radius, int n, int turn) {
    std::uniform_real_distribution<double> unit(0.3, 1.0);
    part ring;
    for (int k = 0; k < n; ++k) {
        const double angle = turn * 2 * std::numbers::pi * k / n;
        const double r = radius * unit(random);
        ring.push_back({centre.X + r * std::cos(angle), centre.Y + r * std::sin(angle)});
    }
    ring.push_back(ring.front());
    return ring;
}

}  // namespace

// Shapes are cut on several threads and their pieces joined in shape order: the cells hold
// what cutting them one by one gives, piece for piece and bit for bit, and the operator sees
// the same progress.
TEST(ParallelRegrid, PolygonsCutOnSeveralThreadsGiveWhatOneThreadGives) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const CSFRect bounds{0, 0, 10, 10};
    auto make_layer = [&] {
        random.seed(7);
        auto layer = std::make_unique<CSFLayerPolygon>();
        for (int record = 1; record <= 900; ++record) {
            const CSFPt centre{0.5 + unit(random) * 9, 0.5 + unit(random) * 9};
            const double radius = 0.1 + unit(random) * 2;
            std::vector<part> rings{star(random, centre, radius, 3 + static_cast<int>(unit(random) * 60), -1)};
            if (record % 5 == 0) rings.push_back(star(random, centre, radius * 0.25, 8, 1));  // a hole
            layer->m_pShapes.push_back(make_shape<CSFLine>(record, rings));
            layer->m_pPolygons.push_back(make_shape<CSFPolygon>(record, rings));
        }
        layer->m_nShapes = 900;
        layer->m_rcBounds = bounds;
        return layer;
    };
    auto one = make_layer(), several = make_layer();
    const outcome serial = regrid_with(*one, 1, 7, 6);
    ASSERT_EQ(serial.result, 0);
    ASSERT_GT(serial.polygons.size(), 2000u);
    expect_same(serial, regrid_with(*several, 3, 7, 6));
}

// A line that starts outside the grid stops the cut there, after the pieces of every line
// before it, however far the other threads had gone.
TEST(ParallelRegrid, LinesStopAtTheSameLineWithTheSamePiecesOnSeveralThreads) {
    std::mt19937 random(11);
    const CSFRect bounds{-5, -5, 5, 5};
    CSFLayerLine one, several;
    for (int record = 1; record <= 3000; ++record) {
        part points = wander(random, bounds, 2 + record % 30);
        if (record == 2222) points.front() = {40, 40};
        one.m_pShapes.push_back(make_shape<CSFLine>(record, {points}));
        several.m_pShapes.push_back(make_shape<CSFLine>(record, {points}));
    }
    one.m_rcBounds = several.m_rcBounds = bounds;
    const outcome serial = regrid_with(one, 1, 10, 10);
    ASSERT_EQ(serial.result, 1);
    ASSERT_EQ(serial.messages.size(), 1u);
    ASSERT_EQ(serial.progress.at(0).back(), 2221);
    expect_same(serial, regrid_with(several, 4, 10, 10));

    // Without the stray line both cut every line alike.
    one.m_pShapes[2221].m_pPoints.front() = several.m_pShapes[2221].m_pPoints.front() = {0, 0};
    const outcome whole = regrid_with(one, 1, 10, 10);
    ASSERT_EQ(whole.result, 0);
    expect_same(whole, regrid_with(several, 2, 10, 10));
}
