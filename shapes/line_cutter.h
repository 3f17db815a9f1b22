#pragma once

#include <cstddef>
#include <vector>

#include "shapes/cell_grid.h"
#include "shapes/sf_geometry.h"

namespace model {

// Cuts the parts of a line along the cell boundaries of a grid, walking from cell to cell
// through the neighbours: every piece lies in the cell it is handed to, and the pieces of a
// part, laid end to end, follow the whole part.
//
// A point outside a cell by no more than the grid's tolerance counts as lying on that cell's
// boundary and is moved there. A segment leaves a cell where it meets the cell's boundary;
// the crossing point, put exactly on the side it crosses, ends one piece and starts the
// next. A vertex lying on a boundary ends the piece there when the line goes on into the
// next cell, so that no piece reaches into a neighbour. A segment through a corner goes on
// to the cell diagonally across. Stretches of a line outside the grid, and segments with
// an end that is not a number, are left out: the piece before them ends where the line
// leaves the grid, and the line is taken up again where it comes back.
class line_cutter {
public:
    line_cutter(const cell_grid& grid, piece_sink emit);

    // Cuts one part of count points; false when its first point lies in no cell (nothing
    // of the part is cut then).
    bool cut_part(const CSFPt* points, std::size_t count);

private:
    // From the current point to the end point, starting in the current cell.
    void walk(CSFPt end);
    // Coming back into the grid from outside along the segment from the last point to end.
    void enter(CSFPt end);
    void emit();

    const cell_grid& m_grid;
    piece_sink m_emit;
    std::vector<CSFPt> m_piece;
    int m_nCell = -1;  // -1 while the line is outside the grid
    CSFPt m_ptLast;    // the last point of the line reached, in the grid or not
};

}  // namespace model
