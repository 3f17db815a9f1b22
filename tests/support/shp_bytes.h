#pragma once

#include <vector>

namespace test_support {

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
