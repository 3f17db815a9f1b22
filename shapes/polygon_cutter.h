#pragma once

#include <cstddef>
#include <vector>

#include "shapes/cell_grid.h"
#include "shapes/sf_geometry.h"

namespace model {

// Clips the rings of polygons against the cells of a grid, beside line_cutter for lines.
// Each ring is clipped on its own (rings are drawn filled one by one, so a hole is a ring
// like any other), only against the cells its box meets: the other cells would give empty
// intersections. Every contour of an intersection is one piece of that cell; contours
// without points are no pieces.
class polygon_cutter {
public:
    polygon_cutter(const cell_grid& grid, piece_sink emit);

    // Cuts one ring of count points; points that are not numbers are left out of it.
    void cut_ring(const CSFPt* points, std::size_t count);

private:
    const cell_grid& m_grid;
    piece_sink m_emit;
    std::vector<CSFPt> m_piece;
};

}  // namespace model
