#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace georef {

class coordinate_system;

// The points of one file brought to longitude and latitude together, at the cost of few
// exact transformations. An exact PROJ transformation of a projected point costs some
// hundreds of nanoseconds, more than reading the point from the file; but a projection is
// smooth over tens of kilometres almost everywhere. So the box the points lie in is cut into
// cells, each cell gets the bicubic polynomial through sixteen exactly transformed nodes, and
// the polynomial is checked against exact transformations at five more places in the cell.
// A cell that misses by more than kTolerance (where the projection bends sharply, near its
// pole or its edge, across the antimeridian) is cut into four, again and again; a cell still
// missing when cutting it further would cost more than it saves has its points transformed
// exactly. Few points, too, are transformed exactly.
class lonlat_batch {
public:
    // The most a point of a cell that counts as good may stand off its exact place, in
    // degrees: about a tenth of a millimetre on the ground.
    static constexpr double kTolerance = 1e-9;
    // Below this many points the exact transformation is cheap enough for all of them.
    static constexpr std::size_t kExactBelow = 32768;

    // For count points within [min_x, max_x] x [min_y, max_y] of the system's coordinates.
    lonlat_batch(const coordinate_system& system, double min_x, double min_y, double max_x, double max_y,
                 std::size_t count);
    lonlat_batch(const lonlat_batch&) = delete;
    lonlat_batch& operator=(const lonlat_batch&) = delete;

    // Transforms a run of points in place: x[i * stride] and y[i * stride] (stride in
    // doubles). A point that needs the exact transformation may wait for finish(), so the run
    // must stay where it is until then.
    void add(double* x, double* y, std::size_t count, std::size_t stride);
    // Transforms the points still waiting; answers how many points of all runs could not be
    // transformed at all (left infinite or not a number).
    std::size_t finish();

    // What the batch did, for the benchmarks and the tests: cells with a polynomial, cells
    // whose points go the exact way, exact transformations made so far.
    std::size_t fitted_cell_count() const { return m_polynomials.size(); }
    std::size_t exact_cell_count() const;
    std::size_t exact_transformations() const { return m_nExact; }

private:
    // The polynomial of a cell over its own coordinates u, v in [0, 1]: c[4 * i + j] is the
    // coefficient of u^i v^j, for the longitude and the latitude.
    struct polynomial {
        double lon[16];
        double lat[16];
    };
    // A cell of the tree: cut into four (children, the first of four in a row: lower left,
    // lower right, upper left, upper right), fitted (a polynomial), or exact (neither).
    struct cell {
        std::int32_t children = -1;
        std::int32_t fit = -1;
    };
    struct pending {
        std::uint32_t cell;
        double x0, y0, width, height;
    };

    void build(std::vector<pending> level, std::size_t budget);
    void wait(double* x, double* y);
    void flush();
    std::size_t exact(double* x, double* y, std::size_t count);

    const coordinate_system& m_system;
    double m_dX0 = 0.0, m_dY0 = 0.0;
    double m_dCellWidth = 1.0, m_dCellHeight = 1.0;
    std::uint32_t m_nColumns = 0, m_nRows = 0;
    // The top cells row by row, then the children as cutting made them.
    std::vector<cell> m_cells;
    std::vector<polynomial> m_polynomials;
    std::size_t m_nExact = 0;
    std::size_t m_nFailed = 0;
    // Points waiting for the exact transformation: where they live and their values.
    std::vector<double*> m_waitingX, m_waitingY;
    std::vector<double> m_valuesX, m_valuesY;
};

}  // namespace georef
