#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "shapes/sf_fragment.h"
#include "shapes/sf_geometry.h"

namespace model {

// Receives each piece cut into the cells of a grid: its cell and its points.
using piece_sink = std::function<void(int cell, const std::vector<CSFPt>& piece)>;

// The cells of a layer's grid as BuildCells lays them out (row by row from minimum Y, each
// row from minimum X, every cell sharing its sides with its neighbours), seen as a whole:
// which cell holds a point, which cells a box meets, which cell lies beside another.
class cell_grid {
public:
    // A point this close to a cell's boundary counts as lying on it.
    static constexpr double kTolerance = 1e-5;

    // Columns and rows of the cells a box meets, both ends included.
    struct span {
        std::uint32_t first_column = 0, last_column = 0;
        std::uint32_t first_row = 0, last_row = 0;
    };

    // The cells must be the columns x rows cells BuildCells made; the grid only looks at them.
    cell_grid(const std::vector<CSFFragment>& cells, std::uint32_t columns, std::uint32_t rows);

    bool is_empty() const { return m_nColumns == 0 || m_nRows == 0; }
    std::uint32_t get_columns() const { return m_nColumns; }
    const CSFRect& cell_box(int cell) const { return m_cells[static_cast<std::size_t>(cell)].m_rcBox; }
    // The box of the whole grid.
    const CSFRect& extent() const { return m_rcExtent; }

    // Whether the cell holds the point: strictly inside, on its boundary, or outside it by no
    // more than the tolerance, in which case the point is moved onto the boundary.
    bool holds(int cell, CSFPt& point) const;
    // The first cell, in cell order, that holds the point (moving it as holds does); -1
    // when none does.
    int find_cell(CSFPt& point) const;
    // The cell one column (dx = -1 or 1) and/or one row (dy) away; -1 beyond the grid.
    int neighbour(int cell, int dx, int dy) const;
    // The cells whose boxes meet the box (touching counts); false when none does.
    bool find_span(const CSFRect& box, span& out) const;

private:
    const std::vector<CSFFragment>& m_cells;
    std::uint32_t m_nColumns;
    std::uint32_t m_nRows;
    CSFRect m_rcExtent;
};

}  // namespace model
