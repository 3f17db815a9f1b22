#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "cli/report.h"
#include "shapes/sf_geometry.h"

namespace model {
class CSFLayer;
class CSFMap;
}  // namespace model

namespace cli {

// Adds a shapefile to the map as Add Layers does and answers the new layer; a file that
// cannot be added is an input_error naming why.
model::CSFLayer* add_layer(model::CSFMap& map, const std::string& path);

// "AxB" of an option such as --size 800x600: both whole numbers from 1 to max, else a
// usage_error naming the option and what it takes.
std::pair<std::uint32_t, std::uint32_t> parse_dimensions(const std::string& text, const std::string& option,
                                                          const std::string& names, std::uint32_t max);

// A box as [minX, minY, maxX, maxY].
value box_value(const model::CSFRect& box);

}  // namespace cli
