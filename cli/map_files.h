#pragma once

#include <string>

#include "cli/map_input.h"
#include "cli/output.h"
#include "platform/color.h"

namespace model {
class CSFMap;
}
namespace platform {
class CDC;
}

namespace cli {

// Whether the name ends in .kxr or .ktf, in any case: a file Open or Import reads as a map.
bool is_map_file(const std::string& path);

// Reads a map document or a text export into the map as Open and Import do (their icons
// made on the device context); input_error with the system's message and what went wrong
// when it cannot be read.
void load_map(model::CSFMap& map, const std::string& path, platform::CDC* dc);

// Draws a map document as the program draws an opened map (cell by cell), or a text export
// as it draws an imported one (whole shapes), framed in a picture of that size, and saves
// the picture as the kind says.
void render_map(const std::string& input, const std::string& out, picture_kind kind, int width, int height,
                view_kind view);

// A colour reference as "#RRGGBB".
std::string colour_text(platform::COLORREF colour);
// "#RRGGBB" as a colour reference; false when the text is no such colour.
bool parse_colour(const std::string& text, platform::COLORREF& colour);

}  // namespace cli
