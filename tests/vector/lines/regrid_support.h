#pragma once

#include <memory>
#include <string>
#include <vector>

#include "map/sf_map.h"
#include "shapes/sf_fragment.h"
#include "shapes/sf_geometry.h"

namespace model {
class CSFLine;
class CSFLayer;
}  // namespace model

// Building layers in memory and looking at what cutting them into cells gave.
namespace regrid_test {

using part = std::vector<model::CSFPt>;

// A line or polygon of the parts, with its record number.
template <class Shape>
Shape make_shape(int record, const std::vector<part>& parts) {
    std::vector<std::int32_t> starts;
    std::vector<model::CSFPt> points;
    for (const part& p : parts) {
        starts.push_back(static_cast<std::int32_t>(points.size()));
        points.insert(points.end(), p.begin(), p.end());
    }
    return Shape(record, static_cast<std::uint32_t>(starts.size()), static_cast<std::uint32_t>(points.size()),
                 starts.data(), points.data());
}

struct piece {
    int cell = 0;
    int record = 0;
    std::vector<model::CSFPt> points;
};

// Every shape of every cell, cell by cell, as one-part pieces.
std::vector<piece> pieces_of(const std::vector<model::CSFFragment>& cells);
// The pieces of one source record.
std::vector<piece> pieces_of(const std::vector<model::CSFFragment>& cells, int record);

double length(const std::vector<model::CSFPt>& points);
bool inside(const model::CSFRect& box, const model::CSFPt& p, double slack = 0.0);

// A map holding one layer, drawing through the map's view projection fitted to the map.
struct map_with_layer {
    model::CSFMap map;
    model::CSFLayer* layer = nullptr;
    map_with_layer(std::unique_ptr<model::CSFLayer> added, int width, int height);
};

// Pixels that differ between two pictures of the same size, not counting a pixel whose colour
// the other picture has within one pixel of it (cut pieces round their new corners to whole
// pixels on their own).
int differing_pixels(const std::string& png_a, const std::string& png_b, int* filled = nullptr);

}  // namespace regrid_test
