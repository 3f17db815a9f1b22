#include "shapes/cell_grid.h"

#include <algorithm>

namespace model {

namespace {

// The first index in [0, count) for which the test holds, the test being false before some
// index and true from it on; count when it never holds.
template <class Test>
std::uint32_t first_true(std::uint32_t count, Test test) {
    std::uint32_t low = 0, high = count;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        if (test(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

}  // namespace

cell_grid::cell_grid(const std::vector<CSFFragment>& cells, std::uint32_t columns, std::uint32_t rows)
    : m_cells(cells), m_nColumns(columns), m_nRows(rows) {
    if (cells.size() != std::size_t{columns} * rows) m_nColumns = m_nRows = 0;
    if (is_empty()) return;
    m_rcExtent = {cells.front().m_rcBox.minX, cells.front().m_rcBox.minY, cells.back().m_rcBox.maxX,
                  cells.back().m_rcBox.maxY};
}

bool cell_grid::holds(int cell, CSFPt& point) const {
    const CSFRect& box = cell_box(cell);
    // Written so that a coordinate that is not a number lies in no cell.
    if (!(point.X >= box.minX - kTolerance && point.X <= box.maxX + kTolerance)) return false;
    if (!(point.Y >= box.minY - kTolerance && point.Y <= box.maxY + kTolerance)) return false;
    point.X = std::clamp(point.X, box.minX, box.maxX);
    point.Y = std::clamp(point.Y, box.minY, box.maxY);
    return true;
}

int cell_grid::find_cell(CSFPt& point) const {
    if (is_empty()) return -1;
    // The cells of a column share their X bounds and those of a row their Y bounds, so the
    // first cell holding the point lies in the first column and the first row that do.
    const std::uint32_t column =
        first_true(m_nColumns, [&](std::uint32_t c) { return point.X <= cell_box(int(c)).maxX + kTolerance; });
    const std::uint32_t row = first_true(
        m_nRows, [&](std::uint32_t r) { return point.Y <= cell_box(int(r * m_nColumns)).maxY + kTolerance; });
    if (column == m_nColumns || row == m_nRows) return -1;
    const int cell = static_cast<int>(row * m_nColumns + column);
    return holds(cell, point) ? cell : -1;
}

int cell_grid::neighbour(int cell, int dx, int dy) const {
    const CSFFragment* at = &m_cells[static_cast<std::size_t>(cell)];
    int next = cell;
    if (dx != 0) {
        next = dx < 0 ? at->m_nPrevColumn : at->m_nNextColumn;
        if (next < 0) return -1;
        at = &m_cells[static_cast<std::size_t>(next)];
    }
    if (dy != 0) next = dy < 0 ? at->m_nPrevRow : at->m_nNextRow;
    return next;
}

bool cell_grid::find_span(const CSFRect& box, span& out) const {
    if (is_empty()) return false;
    if (!(box.maxX >= m_rcExtent.minX && box.minX <= m_rcExtent.maxX && box.maxY >= m_rcExtent.minY &&
          box.minY <= m_rcExtent.maxY))
        return false;
    out.first_column = first_true(m_nColumns, [&](std::uint32_t c) { return box.minX <= cell_box(int(c)).maxX; });
    out.last_column =
        first_true(m_nColumns, [&](std::uint32_t c) { return box.maxX < cell_box(int(c)).minX; }) - 1;
    out.first_row =
        first_true(m_nRows, [&](std::uint32_t r) { return box.minY <= cell_box(int(r * m_nColumns)).maxY; });
    out.last_row = first_true(m_nRows, [&](std::uint32_t r) { return box.maxY < cell_box(int(r * m_nColumns)).minY; }) - 1;
    return true;
}

}  // namespace model
