#include "tests/vector/lines/counties.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>

#include <shapefil.h>

#include "tools/shapefile_writer.h"
#include "vector/layer_polygon.h"

using namespace model;

namespace counties {
namespace {

constexpr double west = -104.0, east = -94.0, south = 36.0, north = 41.0;
// Islands off the east coast reach exactly this far, so the map's bounds are known before
// anything is drawn: the west, south and north borders are straight.
constexpr double far_east = -93.5;

struct generator {
    std::mt19937 random;
    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); }
    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
};

// A border from a to b in n steps, wiggling sideways by up to amplitude (less near the ends,
// so that borders meeting at a corner do not cross); to_left limits the wiggle to one side.
ring border(generator& g, CSFPt a, CSFPt b, int n, double amplitude, int side) {
    const double dx = b.X - a.X, dy = b.Y - a.Y, length = std::hypot(dx, dy);
    const double nx = -dy / length, ny = dx / length;
    ring points{a};
    for (int k = 1; k < n; ++k) {
        const double t = double(k) / n;
        double offset = amplitude * std::sin(std::numbers::pi * t) * g.uniform(-1.0, 1.0);
        if (side != 0) offset = side * std::fabs(offset);
        points.push_back({a.X + t * dx + offset * nx, a.Y + t * dy + offset * ny});
    }
    points.push_back(b);
    return points;
}

// A star-shaped ring around a centre: simple whatever the radii. Counter-clockwise unless
// asked otherwise; closed.
ring star(generator& g, CSFPt centre, double radius, int n, bool clockwise) {
    ring points;
    for (int k = 0; k < n; ++k) {
        const double angle = 2 * std::numbers::pi * k / n;
        const double r = radius * g.uniform(0.6, 1.0);
        points.push_back({centre.X + r * std::cos(angle), centre.Y + r * std::sin(angle)});
    }
    if (clockwise) std::reverse(points.begin(), points.end());
    points.push_back(points.front());
    return points;
}

// The cell borders inside the map, as the 10 x 10 grid of a saved map lays them.
void cell_borders(std::vector<double>& xs, std::vector<double>& ys) {
    CSFLayerPolygon layer;
    layer.m_rcBounds = {west, south, far_east, north};
    std::vector<CSFFragment> cells;
    layer.BuildCells(10, 10, cells);
    for (int k = 1; k < 10; ++k) {
        xs.push_back(cells[static_cast<std::size_t>(k)].m_rcBox.minX);
        ys.push_back(cells[static_cast<std::size_t>(k * 10)].m_rcBox.minY);
    }
}

// Moves the coordinate onto a cell border within reach.
void snap(double& v, const std::vector<double>& borders, double reach) {
    for (double b : borders)
        if (std::fabs(v - b) <= reach) v = b;
}

}  // namespace

map_data make_counties(std::uint32_t seed, int columns, int rows) {
    generator g{std::mt19937(seed)};
    const double sx = (east - west) / columns, sy = (north - south) / rows;
    const double amplitude = 0.06 * std::min(sx, sy);
    std::vector<double> xs, ys;
    cell_borders(xs, ys);

    // One county border runs along a cell border over the whole height of the map, and
    // another along one over the whole width.
    const int straight_column = columns / 2, straight_row = rows / 2;
    auto nearest = [](const std::vector<double>& borders, double v) {
        return *std::min_element(borders.begin(), borders.end(),
                                 [&](double a, double b) { return std::fabs(a - v) < std::fabs(b - v); });
    };
    const double straight_x = nearest(xs, west + straight_column * sx);
    const double straight_y = nearest(ys, south + straight_row * sy);

    std::vector<std::vector<CSFPt>> corner(static_cast<std::size_t>(columns + 1),
                                           std::vector<CSFPt>(static_cast<std::size_t>(rows + 1)));
    for (int i = 0; i <= columns; ++i) {
        for (int j = 0; j <= rows; ++j) {
            CSFPt& c = corner[std::size_t(i)][std::size_t(j)];
            c = {west + i * sx, south + j * sy};
            if (i > 0 && i < columns) c.X += g.uniform(-0.15, 0.15) * sx;
            if (j > 0 && j < rows) c.Y += g.uniform(-0.15, 0.15) * sy;
            if (i == straight_column) c.X = straight_x;
            if (j == straight_row) c.Y = straight_y;
        }
    }
    auto at = [&](int i, int j) { return corner[std::size_t(i)][std::size_t(j)]; };
    auto inner_border = [&](ring points, bool vertical, int line) {
        const bool straight = vertical ? line == straight_column : line == straight_row;
        for (std::size_t k = 1; k + 1 < points.size(); ++k) {
            if (straight) {
                (vertical ? points[k].X : points[k].Y) = vertical ? straight_x : straight_y;
            } else {
                snap(points[k].X, xs, 0.015);
                snap(points[k].Y, ys, 0.015);
            }
        }
        return points;
    };
    // Borders from south to north (vertical[i][j]: corner (i, j) to (i, j + 1)) and from
    // west to east (horizontal[i][j]: corner (i, j) to (i + 1, j)).
    std::vector<std::vector<ring>> vertical(static_cast<std::size_t>(columns + 1));
    std::vector<std::vector<ring>> horizontal(static_cast<std::size_t>(columns));
    for (int i = 0; i <= columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            const int n = g.integer(10, 30);
            ring b;
            if (i == 0)
                b = border(g, at(i, j), at(i, j + 1), n, 0.0, 0);
            else if (i == columns)  // the coast bends inland only
                b = border(g, at(i, j), at(i, j + 1), n, 2 * amplitude, 1);
            else
                b = inner_border(border(g, at(i, j), at(i, j + 1), n, amplitude, 0), true, i);
            vertical[std::size_t(i)].push_back(std::move(b));
        }
    }
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j <= rows; ++j) {
            const int n = g.integer(10, 30);
            ring b = j == 0 || j == rows ? border(g, at(i, j), at(i + 1, j), n, 0.0, 0)
                                         : inner_border(border(g, at(i, j), at(i + 1, j), n, amplitude, 0), false, j);
            horizontal[std::size_t(i)].push_back(std::move(b));
        }
    }

    map_data map;
    map.bounds = {west, south, far_east, north};
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            // Clockwise: up the west border, along the north, down the east, back along the south.
            ring outer;
            auto append = [&](const ring& part, bool reversed) {
                if (reversed)
                    outer.insert(outer.end(), part.rbegin() + 1, part.rend());
                else
                    outer.insert(outer.end(), part.begin() + (outer.empty() ? 0 : 1), part.end());
            };
            append(vertical[std::size_t(i)][std::size_t(j)], false);
            append(horizontal[std::size_t(i)][std::size_t(j + 1)], false);
            append(vertical[std::size_t(i + 1)][std::size_t(j)], true);
            append(horizontal[std::size_t(i)][std::size_t(j)], true);
            county c;
            c.rings.push_back(std::move(outer));

            const CSFPt centre{(at(i, j).X + at(i + 1, j).X + at(i, j + 1).X + at(i + 1, j + 1).X) / 4,
                               (at(i, j).Y + at(i + 1, j).Y + at(i, j + 1).Y + at(i + 1, j + 1).Y) / 4};
            const double lake = 0.12 * std::min(sx, sy);
            if ((i + 2 * j) % 4 == 1) {
                c.rings.push_back(star(g, centre, lake, g.integer(12, 40), false));
                if ((i + j) % 3 == 0) c.rings.push_back(star(g, centre, 0.35 * lake, g.integer(6, 12), true));
            }
            if (i == columns - 1 && j % 2 == 0) {
                const CSFPt isle{east + 0.25, south + (j + 0.5) * sy};
                ring island = star(g, isle, 0.2, g.integer(8, 24), true);
                if (j == 0) {
                    // Its easternmost point is the map's eastern bound.
                    island.front() = island.back() = {far_east, isle.Y};
                }
                c.rings.push_back(std::move(island));
            }
            if (i == columns - 1 && j == 1) {
                // Two lobes touching at one point, both clockwise.
                const CSFPt t{east + 0.25, south + 1.5 * sy};
                c.rings.push_back({t,
                                   {t.X - 0.1, t.Y + 0.05},
                                   {t.X, t.Y + 0.15},
                                   t,
                                   {t.X, t.Y - 0.15},
                                   {t.X - 0.1, t.Y - 0.05},
                                   t});
            }
            map.counties.push_back(std::move(c));
        }
    }
    // Slivers across cell borders, as digitising leaves them: a level one 1e-7 high and a
    // slanting one 1e-6 wide.
    const double y = south + 0.37;
    map.counties.push_back({{{{xs[2] - 0.3, y}, {xs[2] - 0.3, y + 1e-7}, {xs[2] + 0.3, y + 1e-7}, {xs[2] + 0.3, y}, {xs[2] - 0.3, y}}}});
    const CSFPt s{xs[5], ys[5]};
    map.counties.push_back({{{{s.X - 0.2, s.Y - 0.1},
                              {s.X + 0.2, s.Y + 0.1},
                              {s.X + 0.2 + 1e-6, s.Y + 0.1 - 1e-6},
                              {s.X - 0.2 + 1e-6, s.Y - 0.1 - 1e-6},
                              {s.X - 0.2, s.Y - 0.1}}}});
    for (const county& c : map.counties)
        for (const ring& r : c.rings) map.vertices += r.size();
    return map;
}

void write_shapefile(const std::string& path, const map_data& map, bool ring_per_record) {
    tools::shapefile_writer shp(path, SHPT_POLYGON);
    DBFHandle dbf = DBFCreate((path + ".dbf").c_str());
    if (!shp.is_open() || !dbf) throw std::runtime_error("cannot create " + path);
    DBFAddField(dbf, "COUNTY", FTInteger, 8, 0);
    int record = 0;
    auto write = [&](const std::vector<const ring*>& rings, int county_number) {
        std::vector<tools::vertices> parts;
        for (const ring* r : rings) {
            tools::vertices& part = parts.emplace_back();
            for (const CSFPt& p : *r) part.emplace_back(p.X, p.Y);
        }
        if (!shp.add(parts)) throw std::runtime_error("cannot write " + path);
        DBFWriteIntegerAttribute(dbf, record++, 0, county_number);
    };
    for (std::size_t k = 0; k < map.counties.size(); ++k) {
        const county& c = map.counties[k];
        if (ring_per_record) {
            for (const ring& r : c.rings) write({&r}, static_cast<int>(k + 1));
        } else {
            std::vector<const ring*> rings;
            for (const ring& r : c.rings) rings.push_back(&r);
            write(rings, static_cast<int>(k + 1));
        }
    }
    DBFClose(dbf);
}

long double signed_area(const CSFPt* points, std::size_t count) {
    if (count < 3) return 0.0L;
    const long double ox = points[0].X, oy = points[0].Y;
    long double twice = 0.0L;
    for (std::size_t i = 0; i < count; ++i) {
        const CSFPt& a = points[i];
        const CSFPt& b = points[(i + 1) % count];
        twice += (a.X - ox) * (b.Y - oy) - (b.X - ox) * (a.Y - oy);
    }
    return twice / 2;
}

long double signed_area(const ring& points) { return signed_area(points.data(), points.size()); }

}  // namespace counties
