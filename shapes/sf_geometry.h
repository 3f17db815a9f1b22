#pragma once

#include <cstdint>

namespace platform {
class CFile;
}

namespace model {

// A point of map coordinates: X the longitude and Y the latitude in degrees for
// georeferenced data. 16 bytes in files, X then Y.
struct CSFPt {
    double X = 0.0;
    double Y = 0.0;
    friend bool operator==(const CSFPt&, const CSFPt&) = default;
};

// The box of shapes, cells, layers and the map, in the order of the shapefile box.
struct CSFRect {
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;

    // Takes the point into the box; the untouched all-zero box becomes the point itself.
    // Answers whether the box changed.
    bool Stretch(const CSFPt& point);
    // Widens each side to take in the other box, with no emptiness test.
    bool Union(const CSFRect& other);
    bool is_zero() const { return minX == 0.0 && minY == 0.0 && maxX == 0.0 && maxY == 0.0; }

    void write(platform::CFile& file) const;
    bool read(platform::CFile& file);

    friend bool operator==(const CSFRect&, const CSFRect&) = default;
};

}  // namespace model
