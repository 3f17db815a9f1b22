#include "shapes/line_cutter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace model {

namespace {

bool is_finite(const CSFPt& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

int sign(double v) { return (v > 0.0) - (v < 0.0); }

// Where the segment from + t * d (0 <= t <= 1) first meets the box: the point, put exactly
// on the side it enters by; false when the segment misses the box.
bool entry_point(const CSFPt& from, double dx, double dy, const CSFRect& box, CSFPt& entry) {
    double low = 0.0, high = 1.0;
    int side = -1;  // the side giving low: 0 west, 1 east, 2 south, 3 north
    auto clip = [&](double p, double q, int which) {  // keeps the t with p * t <= q
        if (p == 0.0) return q >= 0.0;
        const double t = q / p;
        if (p < 0.0 && t > low) {
            low = t;
            side = which;
        } else if (p > 0.0 && t < high) {
            high = t;
        }
        return low <= high;
    };
    if (!clip(-dx, from.X - box.minX, 0) || !clip(dx, box.maxX - from.X, 1) || !clip(-dy, from.Y - box.minY, 2) ||
        !clip(dy, box.maxY - from.Y, 3))
        return false;
    entry = {std::clamp(from.X + low * dx, box.minX, box.maxX), std::clamp(from.Y + low * dy, box.minY, box.maxY)};
    if (side == 0 || side == 1) entry.X = side == 0 ? box.minX : box.maxX;
    if (side == 2 || side == 3) entry.Y = side == 2 ? box.minY : box.maxY;
    return true;
}

}  // namespace

line_cutter::line_cutter(const cell_grid& grid, piece_sink emit) : m_grid(grid), m_emit(std::move(emit)) {}

bool line_cutter::cut_part(const CSFPt* points, std::size_t count) {
    m_piece.clear();
    if (count == 0) return true;
    CSFPt first = points[0];
    m_nCell = m_grid.find_cell(first);
    if (m_nCell < 0) return false;
    m_piece.push_back(first);
    m_ptLast = first;
    for (std::size_t i = 1; i < count; ++i) {
        if (m_nCell >= 0)
            walk(points[i]);
        else
            enter(points[i]);
    }
    if (m_nCell >= 0 && !m_piece.empty()) emit();
    m_piece.clear();
    return true;
}

void line_cutter::emit() { m_emit(m_nCell, m_piece); }

void line_cutter::walk(CSFPt end) {
    const CSFPt start = m_ptLast;  // lies in the current cell
    const double dx = end.X - start.X, dy = end.Y - start.Y;
    auto leave = [&] {
        if (m_piece.size() > 1) emit();
        m_piece.clear();
        m_nCell = -1;
        m_ptLast = end;
    };
    if (!is_finite(end) || !std::isfinite(dx) || !std::isfinite(dy)) return leave();
    const int sx = sign(dx), sy = sign(dy);
    constexpr double never = std::numeric_limits<double>::infinity();
    // Every step goes one cell on in the direction of the segment, so the walk ends after
    // at most columns + rows steps, whatever rounding does to the crossings.
    double done = 0.0;
    for (;;) {
        CSFPt held = end;
        if (m_grid.holds(m_nCell, held)) {
            m_piece.push_back(held);
            m_ptLast = held;
            return;
        }
        const CSFRect& box = m_grid.cell_box(m_nCell);
        const double tx = sx > 0 ? (box.maxX - start.X) / dx : sx < 0 ? (box.minX - start.X) / dx : never;
        const double ty = sy > 0 ? (box.maxY - start.Y) / dy : sy < 0 ? (box.minY - start.Y) / dy : never;
        const double t = std::clamp(std::min(tx, ty), done, 1.0);
        const int step_x = sx != 0 && tx <= t ? sx : 0;
        const int step_y = sy != 0 && ty <= t ? sy : 0;

        CSFPt cross{start.X + t * dx, start.Y + t * dy};
        if (step_x != 0) cross.X = sx > 0 ? box.maxX : box.minX;
        if (step_y != 0) cross.Y = sy > 0 ? box.maxY : box.minY;
        cross.X = std::clamp(cross.X, box.minX, box.maxX);
        cross.Y = std::clamp(cross.Y, box.minY, box.maxY);
        if (!(m_piece.back() == cross)) m_piece.push_back(cross);
        if (m_piece.size() > 1) {
            emit();
            m_piece.assign(1, cross);
        }
        m_ptLast = cross;
        done = t;

        int next = step_x != 0 || step_y != 0 ? m_grid.neighbour(m_nCell, step_x, step_y) : -1;
        // Through a corner on the grid's edge: along the edge, where the end may still lie
        // within the tolerance.
        if (next < 0 && step_x != 0 && step_y != 0) {
            next = m_grid.neighbour(m_nCell, step_x, 0);
            if (next < 0) next = m_grid.neighbour(m_nCell, 0, step_y);
        }
        if (next < 0) return leave();
        m_nCell = next;
    }
}

void line_cutter::enter(CSFPt end) {
    const CSFPt from = m_ptLast;
    m_ptLast = end;
    if (!is_finite(end)) return;
    const double dx = end.X - from.X, dy = end.Y - from.Y;
    CSFPt at;
    if (is_finite(from) && std::isfinite(dx) && std::isfinite(dy) && entry_point(from, dx, dy, m_grid.extent(), at)) {
        m_nCell = m_grid.find_cell(at);
        if (m_nCell >= 0) {
            m_piece.assign(1, at);
            m_ptLast = at;
            walk(end);
            return;
        }
    }
    // Back from a point that is not a number, or close enough to the grid to count as in it.
    at = end;
    m_nCell = m_grid.find_cell(at);
    if (m_nCell < 0) return;
    m_piece.assign(1, at);
    m_ptLast = at;
}

}  // namespace model
