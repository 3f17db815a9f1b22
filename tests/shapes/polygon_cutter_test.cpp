// Rings cut into the cells of a grid laid out as layers lay theirs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shapes/polygon_cutter.h"

using namespace model;

namespace {

// columns x rows cells of 1 x 1 from (0, 0), row by row from minimum Y, with their neighbours.
std::vector<CSFFragment> unit_cells(int columns, int rows) {
    std::vector<CSFFragment> cells(static_cast<std::size_t>(columns * rows));
    for (int k = 0; k < columns * rows; ++k) {
        const int c = k % columns, r = k / columns;
        CSFFragment& cell = cells[static_cast<std::size_t>(k)];
        cell.m_rcBox = {double(c), double(r), c + 1.0, r + 1.0};
        cell.m_nCell = k;
        cell.m_nPrevColumn = c == 0 ? -1 : k - 1;
        cell.m_nNextColumn = c + 1 == columns ? -1 : k + 1;
        cell.m_nPrevRow = r == 0 ? -1 : k - columns;
        cell.m_nNextRow = r + 1 == rows ? -1 : k + columns;
    }
    return cells;
}

double area(const std::vector<CSFPt>& ring) {
    double twice = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const CSFPt& a = ring[i];
        const CSFPt& b = ring[(i + 1) % ring.size()];
        twice += a.X * b.Y - b.X * a.Y;
    }
    return std::fabs(twice / 2);
}

}  // namespace

TEST(PolygonCutter, RingsBecomePiecesOfTheCellsTheyMeetAndNothingEmptyComesOut) {
    const std::vector<CSFFragment> cells = unit_cells(3, 2);
    const cell_grid grid(cells, 3, 2);
    struct piece {
        int cell;
        std::vector<CSFPt> points;
    };
    std::vector<piece> pieces;
    polygon_cutter cutter(grid, [&](int cell, const std::vector<CSFPt>& points) { pieces.push_back({cell, points}); });

    // A square around the corner the cells 0, 1, 3 and 4 share, and a ring wholly in cell 5.
    const CSFPt square[] = {{0.5, 0.5}, {1.5, 0.5}, {1.5, 1.5}, {0.5, 1.5}, {0.5, 0.5}};
    cutter.cut_ring(square, 5);
    const CSFPt inside[] = {{2.2, 1.2}, {2.8, 1.2}, {2.5, 1.8}, {2.2, 1.2}};
    cutter.cut_ring(inside, 4);
    ASSERT_EQ(pieces.size(), 5u);
    const int expected_cells[] = {0, 1, 3, 4, 5};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].cell, expected_cells[i]);
        const CSFRect& box = cells[static_cast<std::size_t>(pieces[i].cell)].m_rcBox;
        for (const CSFPt& p : pieces[i].points)
            EXPECT_TRUE(p.X >= box.minX && p.X <= box.maxX && p.Y >= box.minY && p.Y <= box.maxY) << i;
        EXPECT_DOUBLE_EQ(area(pieces[i].points), i < 4 ? 0.25 : 0.18) << i;
    }

    // Rings with no area, outside the grid, or of points that are not numbers give no piece.
    pieces.clear();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CSFPt flat[] = {{0.5, 0.5}, {1.5, 0.5}, {0.5, 0.5}};
    const CSFPt away[] = {{10, 10}, {11, 10}, {11, 11}, {10, 10}};
    const CSFPt not_numbers[] = {{nan, 0.5}, {0.5, nan}, {nan, nan}};
    cutter.cut_ring(flat, 3);
    cutter.cut_ring(away, 4);
    cutter.cut_ring(not_numbers, 3);
    cutter.cut_ring(square, 0);
    EXPECT_TRUE(pieces.empty());
}
