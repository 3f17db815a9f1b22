#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shapes/sf_geometry.h"

// A map of counties as land offices draw them, made up for the tests: irregular counties
// tiling a region with shared, wiggling borders; some with a lake (a hole), some lakes with
// an island of the same county inside, some counties with an island off the coast; a few
// slivers; runs of vertices lying exactly on the borders of the 10 x 10 cells a map is cut
// into when it is saved, and one border of two counties running along such a cell border.
namespace counties {

using ring = std::vector<model::CSFPt>;

struct county {
    std::vector<ring> rings;  // clockwise outer rings, counter-clockwise holes, closed
};

struct map_data {
    std::vector<county> counties;
    model::CSFRect bounds;
    std::size_t vertices = 0;
};

// Counties in columns x rows over 10 degrees of longitude and 5 of latitude west of -94.
map_data make_counties(std::uint32_t seed, int columns = 12, int rows = 8);

// Writes FILE.shp, .shx and .dbf with shapelib: one record per county, or one record per
// ring when asked (so that a record's pieces are the pieces of one ring).
void write_shapefile(const std::string& path, const map_data& map, bool ring_per_record);

// Signed area (positive counter-clockwise), from the first vertex so that large
// coordinates do not swallow the result; a ring need not repeat its first vertex.
long double signed_area(const ring& points);
long double signed_area(const model::CSFPt* points, std::size_t count);

}  // namespace counties
