#pragma once

#include <cstddef>
#include <vector>

#include "shapes/cell_grid.h"
#include "shapes/sf_geometry.h"

namespace model {

// Cuts polygons into the cells of a grid, beside line_cutter for lines. A polygon is all its
// rings together under the even-odd rule, as it is filled: a ring inside another is a hole,
// and a ring that crosses itself covers what the rule says. Each area the polygon leaves in a
// cell becomes one piece of that cell, its holes joined to its outer boundary (join_holes),
// so a viewer that fills a one-part polygon with the alternate rule shows the holes. Cells
// the polygon does not reach cost nothing.
class polygon_cutter {
public:
    struct ring {
        const CSFPt* points = nullptr;
        std::size_t count = 0;
    };

    polygon_cutter(const cell_grid& grid, piece_sink emit);

    // Points that are not numbers are left out of their rings.
    void cut_polygon(const std::vector<ring>& rings);
    // A polygon of one ring.
    void cut_ring(const CSFPt* points, std::size_t count) { cut_polygon({{points, count}}); }

private:
    using rings_type = std::vector<std::vector<CSFPt>>;
    // The cells [first_column, end_column) x [first_row, end_row).
    struct block {
        std::uint32_t first_column, end_column, first_row, end_row;
    };

    CSFRect box_of(const block& b) const;
    void cut_block(rings_type rings, const block& b);
    void cut_cell(const rings_type& rings, int cell);
    void fill_block(const block& b);

    const cell_grid& m_grid;
    piece_sink m_emit;
    std::vector<CSFPt> m_piece;
};

}  // namespace model
