#include "georef/lonlat_batch.h"

#include <algorithm>
#include <cmath>

#include "georef/coordinate_system.h"

namespace georef {

namespace {

// The top cells: this many along the box's longer side.
constexpr double kTopCells = 4.0;
// A cell is cut at most this often: the smallest is a 1024th of a top cell.
constexpr int kMaxDepth = 10;
// Points waiting for the exact transformation go to PROJ in batches of this many.
constexpr std::size_t kWaitingBatch = 65536;

// The cubic through f(0), f(1/3), f(2/3), f(1) has the coefficients M f of 1, u, u^2, u^3.
constexpr double M[4][4] = {{1, 0, 0, 0}, {-5.5, 9, -4.5, 1}, {9, -22.5, 18, -4.5}, {-4.5, 13.5, -13.5, 4.5}};

// The error of a cubic between its nodes peaks near a sixth of the way from either end and
// again in the middle: the places each fit is checked at.
constexpr double kProbes[5][2] = {{1.0 / 6, 1.0 / 6}, {5.0 / 6, 1.0 / 6}, {1.0 / 6, 5.0 / 6}, {5.0 / 6, 5.0 / 6}, {0.5, 0.5}};
constexpr std::size_t kPerCell = 16 + 5;

// c = M F M^T: F[a][b] is the value at u = a / 3, v = b / 3.
void fit(const double F[4][4], double* c) {
    double MF[4][4] = {};
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b)
            for (int a = 0; a < 4; ++a) MF[i][b] += M[i][a] * F[a][b];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int b = 0; b < 4; ++b) sum += MF[i][b] * M[j][b];
            c[4 * i + j] = sum;
        }
}

inline double evaluate(const double* c, double u, double v) {
    double a[4];
    for (int j = 0; j < 4; ++j) a[j] = c[j] + u * (c[4 + j] + u * (c[8 + j] + u * c[12 + j]));
    return a[0] + v * (a[1] + v * (a[2] + v * a[3]));
}

}  // namespace

lonlat_batch::lonlat_batch(const coordinate_system& system, double min_x, double min_y, double max_x, double max_y,
                           std::size_t count)
    : m_system(system) {
    double width = max_x - min_x, height = max_y - min_y;
    if (count < kExactBelow || !std::isfinite(width) || !std::isfinite(height) || width < 0 || height < 0) return;
    const double side = std::max(width, height);
    if (side == 0.0) return;  // every point at one place: nothing to spread cells over
    // A box that is a line still gets cells of some width.
    width = std::max(width, side / 64);
    height = std::max(height, side / 64);
    m_dX0 = min_x;
    m_dY0 = min_y;
    m_nColumns = static_cast<std::uint32_t>(std::ceil(kTopCells * width / side));
    m_nRows = static_cast<std::uint32_t>(std::ceil(kTopCells * height / side));
    m_dCellWidth = width / m_nColumns;
    m_dCellHeight = height / m_nRows;

    std::vector<pending> top;
    m_cells.resize(std::size_t{m_nColumns} * m_nRows);
    for (std::uint32_t j = 0; j < m_nRows; ++j)
        for (std::uint32_t i = 0; i < m_nColumns; ++i)
            top.push_back({j * m_nColumns + i, m_dX0 + i * m_dCellWidth, m_dY0 + j * m_dCellHeight, m_dCellWidth,
                           m_dCellHeight});
    // The cells may take an eighth of what transforming every point exactly would.
    build(std::move(top), count / 8);
}

void lonlat_batch::build(std::vector<pending> level, std::size_t budget) {
    std::size_t spent = 0;
    for (int depth = 0; !level.empty() && depth <= kMaxDepth; ++depth) {
        // Cells the budget cannot fit any more stay exact.
        level.resize(std::min(level.size(), (budget - spent) / kPerCell));
        spent += level.size() * kPerCell;
        std::vector<double> xs(level.size() * kPerCell), ys(xs.size());
        for (std::size_t k = 0; k < level.size(); ++k) {
            const pending& p = level[k];
            double* x = &xs[k * kPerCell];
            double* y = &ys[k * kPerCell];
            for (int b = 0; b < 4; ++b)
                for (int a = 0; a < 4; ++a) {
                    x[4 * b + a] = p.x0 + a * p.width / 3;
                    y[4 * b + a] = p.y0 + b * p.height / 3;
                }
            for (int q = 0; q < 5; ++q) {
                x[16 + q] = p.x0 + kProbes[q][0] * p.width;
                y[16 + q] = p.y0 + kProbes[q][1] * p.height;
            }
        }
        exact(xs.data(), ys.data(), xs.size());

        std::vector<pending> next;
        for (std::size_t k = 0; k < level.size(); ++k) {
            const pending& p = level[k];
            const double* x = &xs[k * kPerCell];
            const double* y = &ys[k * kPerCell];
            double lon[4][4], lat[4][4];
            bool usable = true;
            double west = INFINITY, east = -INFINITY;
            for (int b = 0; b < 4; ++b)
                for (int a = 0; a < 4; ++a) {
                    lon[a][b] = x[4 * b + a];
                    lat[a][b] = y[4 * b + a];
                    usable = usable && std::isfinite(lon[a][b]) && std::isfinite(lat[a][b]);
                    west = std::min(west, lon[a][b]);
                    east = std::max(east, lon[a][b]);
                }
            // Nodes on both sides of the antimeridian make no polynomial; the probes would
            // find that too, but not in every case.
            usable = usable && east - west < 180.0;
            polynomial poly;
            if (usable) {
                fit(lon, poly.lon);
                fit(lat, poly.lat);
                // Half the tolerance: the probes stand near, not at, the worst places.
                for (int q = 0; q < 5 && usable; ++q)
                    usable = std::fabs(evaluate(poly.lon, kProbes[q][0], kProbes[q][1]) - x[16 + q]) <= kTolerance / 2 &&
                             std::fabs(evaluate(poly.lat, kProbes[q][0], kProbes[q][1]) - y[16 + q]) <= kTolerance / 2;
            }
            if (usable) {
                m_cells[p.cell].fit = static_cast<std::int32_t>(m_polynomials.size());
                m_polynomials.push_back(poly);
                continue;
            }
            if (depth == kMaxDepth) continue;
            const auto first = static_cast<std::uint32_t>(m_cells.size());
            m_cells[p.cell].children = static_cast<std::int32_t>(first);
            m_cells.resize(m_cells.size() + 4);
            const double w = p.width / 2, h = p.height / 2;
            for (std::uint32_t q = 0; q < 4; ++q)
                next.push_back({first + q, p.x0 + (q & 1) * w, p.y0 + (q >> 1) * h, w, h});
        }
        level = std::move(next);
    }
}

std::size_t lonlat_batch::exact_cell_count() const {
    return static_cast<std::size_t>(
        std::count_if(m_cells.begin(), m_cells.end(), [](const cell& c) { return c.children < 0 && c.fit < 0; }));
}

void lonlat_batch::add(double* x, double* y, std::size_t count, std::size_t stride) {
    if (m_cells.empty()) {
        m_nExact += count;
        m_nFailed += m_system.to_lonlat(x, y, count, stride);
        return;
    }
    const double columns = m_nColumns, rows = m_nRows;
    // Successive points of a run mostly fall in the cell of the one before: that cell's
    // corner and side (in top cells) are kept, and the tree is walked only when a point
    // leaves it.
    std::size_t leaf = m_cells.size();
    double leaf_u = 0.0, leaf_v = 0.0, leaf_side = 1.0, leaf_scale = 1.0;
    const double per_width = 1.0 / m_dCellWidth, per_height = 1.0 / m_dCellHeight;
    for (std::size_t k = 0; k < count; ++k) {
        double* px = x + k * stride;
        double* py = y + k * stride;
        const double u = (*px - m_dX0) * per_width, v = (*py - m_dY0) * per_height;
        double du = (u - leaf_u) * leaf_scale, dv = (v - leaf_v) * leaf_scale;
        if (!(leaf < m_cells.size() && du >= 0.0 && du < 1.0 && dv >= 0.0 && dv < 1.0)) {
            // Written so that a point that is not a number goes the exact way too.
            if (!(u >= 0.0 && u <= columns && v >= 0.0 && v <= rows)) {
                wait(px, py);
                continue;
            }
            const std::uint32_t i = std::min(static_cast<std::uint32_t>(u), m_nColumns - 1);
            const std::uint32_t j = std::min(static_cast<std::uint32_t>(v), m_nRows - 1);
            leaf = std::size_t{j} * m_nColumns + i;
            leaf_u = i, leaf_v = j, leaf_side = 1.0;
            du = u - i, dv = v - j;
            while (m_cells[leaf].children >= 0) {
                std::size_t quarter = static_cast<std::size_t>(m_cells[leaf].children);
                leaf_side /= 2;
                if (du >= 0.5) quarter += 1, du = 2 * du - 1, leaf_u += leaf_side; else du *= 2;
                if (dv >= 0.5) quarter += 2, dv = 2 * dv - 1, leaf_v += leaf_side; else dv *= 2;
                leaf = quarter;
            }
            leaf_scale = 1.0 / leaf_side;
        }
        if (m_cells[leaf].fit < 0) {
            wait(px, py);
            continue;
        }
        const polynomial& poly = m_polynomials[static_cast<std::size_t>(m_cells[leaf].fit)];
        const double lon = evaluate(poly.lon, du, dv), lat = evaluate(poly.lat, du, dv);
        *px = lon;
        *py = lat;
    }
}

void lonlat_batch::wait(double* x, double* y) {
    m_waitingX.push_back(x);
    m_waitingY.push_back(y);
    m_valuesX.push_back(*x);
    m_valuesY.push_back(*y);
    if (m_waitingX.size() >= kWaitingBatch) flush();
}

void lonlat_batch::flush() {
    m_nFailed += exact(m_valuesX.data(), m_valuesY.data(), m_valuesX.size());
    for (std::size_t k = 0; k < m_waitingX.size(); ++k) {
        *m_waitingX[k] = m_valuesX[k];
        *m_waitingY[k] = m_valuesY[k];
    }
    m_waitingX.clear();
    m_waitingY.clear();
    m_valuesX.clear();
    m_valuesY.clear();
}

std::size_t lonlat_batch::finish() {
    flush();
    return m_nFailed;
}

std::size_t lonlat_batch::exact(double* x, double* y, std::size_t count) {
    m_nExact += count;
    return m_system.to_lonlat(x, y, count, 1);
}

}  // namespace georef
