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

class arguments;

// Adds a file to the map as Add Layers does and answers the new layer; a file that cannot be
// added is an input_error naming why (the map's own message, if any, is on standard error
// before it).
model::CSFLayer* add_layer(model::CSFMap& map, const std::string& path);

// The icon folder point layers take their icons from: --icons, which must be a folder that
// can be read (input_error otherwise), else the settings' PathIcons, else Icons beside the
// program.
std::string icon_folder(const arguments& args);

// "AxB" of an option such as --size 800x600: both whole numbers from 1 to max, else a
// usage_error naming the option and what it takes.
std::pair<std::uint32_t, std::uint32_t> parse_dimensions(const std::string& text, const std::string& option,
                                                          const std::string& names, std::uint32_t max);

// How a map is fitted to a picture (--view): centred and filling it, its shape the same at
// every size; or as the desktop program's Zoom to extent.
enum class view_kind { centre, program };
view_kind parse_view(const arguments& args);
// Sets the map's view projection to a picture of width x height pixels; an input_error when
// the map has no extent to show.
void frame_map(model::CSFMap& map, int width, int height, view_kind view);

// Text kept in the system's 8-bit character set (names of layers and fields), as UTF-8.
std::string utf8_of_system_text(const std::string& text);
// A layer's name as UTF-8.
std::string layer_name(const model::CSFLayer& layer);

// A box as [minX, minY, maxX, maxY].
value box_value(const model::CSFRect& box);

}  // namespace cli
