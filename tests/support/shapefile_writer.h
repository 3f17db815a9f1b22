#pragma once

#include <string>
#include <utility>
#include <vector>

namespace test_support {

// A part of a shape: its vertices as (x, y).
using vertices = std::vector<std::pair<double, double>>;

// Writes a shapefile (.shp and .shx) with shapelib's writer: shape_type SHPT_POINT (1),
// SHPT_ARC (3) or SHPT_POLYGON (5); each shape is a list of parts (one vertex for a point).
void write_shapefile(const std::string& path, int shape_type, const std::vector<std::vector<vertices>>& shapes);

// Big-endian and little-endian pieces of a shapefile written byte by byte, for files no
// writer would make.
struct shp_bytes {
    std::vector<unsigned char> bytes;
    void be32(int value);
    void le32(int value);
    void le_double(double value);
    // The 100-byte main header; the file length is patched in by finish().
    void header(int shape_type, double xmin, double ymin, double xmax, double ymax);
    // Stores the file's length in 16-bit words at offset 24.
    const std::vector<unsigned char>& finish();
};

}  // namespace test_support
