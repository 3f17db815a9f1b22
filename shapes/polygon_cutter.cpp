#include "shapes/polygon_cutter.h"

#include <utility>

#include "shapes/piece.h"
#include "shapes/polygon_clip.h"

namespace model {

using namespace polygon_clip;

polygon_cutter::polygon_cutter(const cell_grid& grid, piece_sink emit) : m_grid(grid), m_emit(std::move(emit)) {}

void polygon_cutter::cut_ring(const CSFPt* points, std::size_t count) {
    CSFRect box;
    cell_grid::span span;
    if (!widen_by_points(points, count, box, false) || !m_grid.find_span(box, span)) return;
    gpc_polygon ring, result;
    std::vector<gpc_vertex> vertices(count);
    for (std::size_t p = 0; p < count; ++p) vertices[p] = {points[p].X, points[p].Y};
    gpc_add_contour(ring, vertices.data(), count, 1);
    for (std::uint32_t row = span.first_row; row <= span.last_row; ++row) {
        for (std::uint32_t column = span.first_column; column <= span.last_column; ++column) {
            const int cell = static_cast<int>(row * m_grid.get_columns() + column);
            const CSFRect& c = m_grid.cell_box(cell);
            const gpc_vertex corners[4] = {{c.minX, c.minY}, {c.maxX, c.minY}, {c.maxX, c.maxY}, {c.minX, c.maxY}};
            gpc_polygon rectangle;
            gpc_add_contour(rectangle, corners, 4, 1);
            gpc_polygon_clip(GPC_INT, ring, rectangle, result);
            for (const gpc_vertex_list& contour : result.contour) {
                if (contour.vertex.empty()) continue;
                m_piece.clear();
                for (const gpc_vertex& v : contour.vertex) m_piece.push_back({v.x, v.y});
                m_emit(cell, m_piece);
            }
        }
    }
}

}  // namespace model
