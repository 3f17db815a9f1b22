#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/command.h"

namespace model {
class CSFLayerRRE;
class CSFMap;
}  // namespace model

namespace cli {

// Whether the name ends in .bmp, .jpg or .jpeg, in any case: a picture Add Layers makes the
// raster layer of.
bool is_picture(const std::string& path);

// Adds a picture to the map as Add Layers does and answers its RRE layer; usage_error for
// a file that is no picture by its name, input_error for one that cannot be read.
model::CSFLayerRRE* add_picture(model::CSFMap& map, const std::string& path);

// The size a render is drawn at without --size: the first picture's among the inputs (no
// side above max), as the view scrolled to its top-left corner shows it, or the fallback.
std::string render_size(const std::vector<std::string>& inputs, const std::string& fallback, std::uint32_t max);

// The raster layer of a render as the view shows it: scrolled to the picture's top-left
// corner in a view of the render's size, with the footholds of --gcp or --points placed on
// it. usage_error for footholds without a picture to put them on.
void show_raster_layer(model::CSFMap& map, const arguments& args, int width, int height);

}  // namespace cli
