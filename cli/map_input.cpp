#include "cli/map_input.h"

#include <charconv>

#include "cli/command.h"
#include "map/sf_map.h"

namespace cli {

model::CSFLayer* add_layer(model::CSFMap& map, const std::string& path) {
    model::CSFLayer* layer = nullptr;
    switch (map.AddLayerFromFile(path, &layer)) {
        case model::layer_added: return layer;
        case model::file_not_opened: throw input_error("cannot open " + path);
        case model::header_invalid: throw input_error(path + " is not a shapefile (its main header is not valid)");
        case model::raster_not_rre: throw input_error("You can't add this file.");
        case model::layer_refused: break;
    }
    throw input_error("cannot read " + path);
}

std::pair<std::uint32_t, std::uint32_t> parse_dimensions(const std::string& text, const std::string& option,
                                                          const std::string& names, std::uint32_t max) {
    auto fail = [&]() -> std::uint32_t {
        throw usage_error(option + " " + text + ": expected " + names + ", each 1 to " + std::to_string(max));
    };
    auto side = [&](std::string_view part) {
        std::uint32_t v = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
        return ec != std::errc() || end != part.data() + part.size() || v == 0 || v > max ? fail() : v;
    };
    const std::size_t x = text.find('x');
    if (x == std::string::npos) fail();
    const std::string_view all(text);
    return {side(all.substr(0, x)), side(all.substr(x + 1))};
}

value box_value(const model::CSFRect& box) { return value::array{box.minX, box.minY, box.maxX, box.maxY}; }

}  // namespace cli
