#include "shapes/polygon_cutter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "shapes/hole_bridge.h"
#include "shapes/piece.h"
#include "shapes/polygon_clip.h"

namespace model {

using namespace polygon_clip;

namespace {

using rings_type = std::vector<std::vector<CSFPt>>;

// One side of an axis-parallel line.
struct half_plane {
    bool vertical;  // the line x = at (else y = at)
    double at;
    bool below;  // the side of coordinates up to at (else from at on)

    double coordinate(const CSFPt& p) const { return vertical ? p.X : p.Y; }
    bool keeps(const CSFPt& p) const { return below ? coordinate(p) <= at : coordinate(p) >= at; }
};

// The ring cut to the half-plane, what lies beyond replaced by runs along the line. The cut
// ring winds around every point of the half-plane as often as the whole ring does, so the
// even-odd area there is the same; the runs lie on the line, outside the cells being cut.
std::vector<CSFPt> cut_to(const std::vector<CSFPt>& ring, const half_plane& h) {
    std::vector<CSFPt> out;
    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
        const CSFPt& a = ring[i];
        const CSFPt& b = ring[(i + 1) % n];
        const bool keep_a = h.keeps(a);
        if (keep_a) out.push_back(a);
        if (keep_a == h.keeps(b)) continue;
        const double ca = h.coordinate(a), cb = h.coordinate(b);
        const double t = (h.at - ca) / (cb - ca);
        if (h.vertical)
            out.push_back({h.at, a.Y + t * (b.Y - a.Y)});
        else
            out.push_back({a.X + t * (b.X - a.X), h.at});
    }
    return out;
}

// Whether no edge enters the open inside of the box: every edge lies wholly on or beyond one
// of its sides. The polygon then covers all of the inside or none of it.
bool misses_inside(const rings_type& rings, const CSFRect& box) {
    for (const std::vector<CSFPt>& ring : rings) {
        const std::size_t n = ring.size();
        for (std::size_t i = 0; i < n; ++i) {
            const CSFPt& a = ring[i];
            const CSFPt& b = ring[(i + 1) % n];
            if ((a.X <= box.minX && b.X <= box.minX) || (a.X >= box.maxX && b.X >= box.maxX) ||
                (a.Y <= box.minY && b.Y <= box.minY) || (a.Y >= box.maxY && b.Y >= box.maxY))
                continue;
            return false;
        }
    }
    return true;
}

// The even-odd rule at a point on no edge: a ray to the east crosses the rings an odd number
// of times.
bool covers(const rings_type& rings, const CSFPt& p) {
    bool inside = false;
    for (const std::vector<CSFPt>& ring : rings) {
        const std::size_t n = ring.size();
        for (std::size_t i = 0; i < n; ++i) {
            const CSFPt& a = ring[i];
            const CSFPt& b = ring[(i + 1) % n];
            if ((a.Y > p.Y) != (b.Y > p.Y) && p.X < a.X + (p.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y)) inside = !inside;
        }
    }
    return inside;
}

std::vector<CSFPt> points_of(const gpc_vertex_list& list) {
    std::vector<CSFPt> points;
    points.reserve(list.vertex.size());
    for (const gpc_vertex& v : list.vertex) points.push_back({v.x, v.y});
    return points;
}

}  // namespace

polygon_cutter::polygon_cutter(const cell_grid& grid, piece_sink emit) : m_grid(grid), m_emit(std::move(emit)) {}

CSFRect polygon_cutter::box_of(const block& b) const {
    const std::uint32_t columns = m_grid.get_columns();
    const CSFRect& first = m_grid.cell_box(static_cast<int>(b.first_row * columns + b.first_column));
    const CSFRect& last = m_grid.cell_box(static_cast<int>((b.end_row - 1) * columns + b.end_column - 1));
    return {first.minX, first.minY, last.maxX, last.maxY};
}

void polygon_cutter::cut_polygon(const std::vector<ring>& rings) {
    rings_type kept;
    CSFRect box;
    bool started = false;
    for (const ring& r : rings) {
        std::vector<CSFPt> points;
        points.reserve(r.count);
        for (std::size_t i = 0; i < r.count; ++i)
            if (std::isfinite(r.points[i].X) && std::isfinite(r.points[i].Y)) points.push_back(r.points[i]);
        if (points.size() < 3) continue;
        started = widen_by_points(points.data(), points.size(), box, started);
        kept.push_back(std::move(points));
    }
    cell_grid::span span;
    if (kept.empty() || !m_grid.find_span(box, span)) return;
    cut_block(std::move(kept), {span.first_column, span.last_column + 1, span.first_row, span.last_row + 1});
}

// Halves the block until single cells remain, cutting the rings to each half on the way, so a
// cell is cut out of the rings near it and not out of the whole polygon again. The halves
// overlap by a thin margin, so the runs along a halving line lie outside the cells of both.
void polygon_cutter::cut_block(rings_type rings, const block& b) {
    if (rings.empty()) return;
    const std::uint32_t columns = b.end_column - b.first_column, rows = b.end_row - b.first_row;
    if (columns == 1 && rows == 1) {
        cut_cell(rings, static_cast<int>(b.first_row * m_grid.get_columns() + b.first_column));
        return;
    }
    const CSFRect box = box_of(b);
    if (misses_inside(rings, box)) {
        if (covers(rings, {(box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2})) fill_block(b);
        return;
    }
    // Rows first: the pieces then come out cell by cell in the cells' order.
    const bool vertical = rows == 1;
    block low = b, high = b;
    double at, step;
    if (vertical) {
        low.end_column = high.first_column = b.first_column + columns / 2;
        at = box_of(high).minX;
        step = (box.maxX - box.minX) / columns;
    } else {
        low.end_row = high.first_row = b.first_row + rows / 2;
        at = box_of(high).minY;
        step = (box.maxY - box.minY) / rows;
    }
    const double margin = std::max(std::ldexp(std::fabs(step), -10), std::ldexp(std::fabs(at), -40));
    const half_plane below{vertical, at + margin, true}, above{vertical, at - margin, false};

    rings_type lower, upper;
    for (std::vector<CSFPt>& ring : rings) {
        CSFRect r;
        widen_by_points(ring.data(), ring.size(), r, false);
        const double from = vertical ? r.minX : r.minY, to = vertical ? r.maxX : r.maxY;
        // A ring goes whole to a half that holds all of it, and cut to each other half it
        // reaches into.
        const bool to_lower = from <= below.at, to_upper = to >= above.at;
        const bool whole_lower = to <= below.at, whole_upper = from >= above.at;
        if (to_lower) {
            if (!whole_lower) {
                if (auto cut = cut_to(ring, below); cut.size() >= 3) lower.push_back(std::move(cut));
            } else if (to_upper) {
                lower.push_back(ring);
            } else {
                lower.push_back(std::move(ring));
                continue;
            }
        }
        if (to_upper) {
            if (!whole_upper) {
                if (auto cut = cut_to(ring, above); cut.size() >= 3) upper.push_back(std::move(cut));
            } else {
                upper.push_back(std::move(ring));
            }
        }
    }
    rings_type().swap(rings);
    cut_block(std::move(lower), low);
    cut_block(std::move(upper), high);
}

void polygon_cutter::cut_cell(const rings_type& rings, int cell) {
    gpc_polygon subject, rectangle, result;
    std::vector<gpc_vertex> vertices;
    for (const std::vector<CSFPt>& ring : rings) {
        vertices.clear();
        for (const CSFPt& p : ring) vertices.push_back({p.X, p.Y});
        gpc_add_contour(subject, vertices.data(), vertices.size(), 0);
    }
    const CSFRect& c = m_grid.cell_box(cell);
    const gpc_vertex corners[4] = {{c.minX, c.minY}, {c.maxX, c.minY}, {c.maxX, c.maxY}, {c.minX, c.maxY}};
    gpc_add_contour(rectangle, corners, 4, 0);
    gpc_polygon_clip(GPC_INT, subject, rectangle, result);
    gpc_free_polygon(subject);

    const std::size_t count = result.contour.size();
    std::vector<std::vector<CSFPt>> holes(count);
    std::vector<std::vector<const std::vector<CSFPt>*>> holes_of(count);
    for (std::size_t i = 0; i < count; ++i) {
        const int owner = result.owner[i];
        if (owner < 0) continue;
        holes[i] = points_of(result.contour[i]);
        holes_of[static_cast<std::size_t>(owner)].push_back(&holes[i]);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (result.owner[i] >= 0 || result.contour[i].vertex.empty()) continue;
        m_piece = join_holes(points_of(result.contour[i]), holes_of[i]);
        m_emit(cell, m_piece);
    }
}

void polygon_cutter::fill_block(const block& b) {
    const std::uint32_t columns = m_grid.get_columns();
    for (std::uint32_t row = b.first_row; row < b.end_row; ++row) {
        for (std::uint32_t column = b.first_column; column < b.end_column; ++column) {
            const int cell = static_cast<int>(row * columns + column);
            const CSFRect& c = m_grid.cell_box(cell);
            m_piece.assign({{c.minX, c.minY}, {c.maxX, c.minY}, {c.maxX, c.maxY}, {c.minX, c.maxY}});
            m_emit(cell, m_piece);
        }
    }
}

}  // namespace model
