#include "cli/map_input.h"

#include <dirent.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "cli/command.h"
#include "cli/output.h"
#include "georef/transform.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "platform/code_page.h"
#include "platform/path.h"
#include "vector/icon_folder.h"

namespace cli {

model::CSFLayer* add_layer(model::CSFMap& map, const std::string& path) {
    model::CSFLayer* layer = nullptr;
    switch (map.AddLayerFromFile(path, &layer)) {
        case model::layer_added: return layer;
        case model::file_not_opened: throw cannot("open", path, open_cause(path, "it cannot be read"));
        case model::header_invalid: throw input_error(path + " is not a shapefile (its main header is not valid)");
        case model::raster_not_rre: throw input_error("You can't add this file.");
        case model::layer_refused: break;
    }
    const std::string ext = platform::lower_extension(path);
    if (ext == ".jpg" || ext == ".jpeg" || ext == ".bmp") {
        // A picture the codec cannot read says why when it is read again; one that reads was
        // refused by the map, which has said why on standard error.
        load_picture(path);
        throw cannot("add", path);
    }
    if (ext != ".shp") throw cannot("add", path, "layers are made of shapefiles (.shp) and pictures (.jpg, .bmp)");
    // The map has said why on standard error.
    throw cannot("read", path);
}

std::string icon_folder(const arguments& args) {
    if (!args.has("--icons")) {
        std::error_code ec;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
        return model::icon_folder(ec ? std::string() : self.parent_path().string());
    }
    // A folder named on the command line must be there to be read; the settings' may be missing.
    const std::string folder = args.get("--icons");
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) throw cannot("read the icon folder", folder, os_cause(errno));
    ::closedir(dir);
    return folder;
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

view_kind parse_view(const arguments& args) {
    const std::string view = args.get("--view", "centre");
    if (view == "centre" || view == "center") return view_kind::centre;
    if (view == "program") return view_kind::program;
    throw usage_error("--view " + view + ": expected centre or program");
}

void frame_map(model::CSFMap& map, int width, int height, view_kind view) {
    const model::CSFRect& b = map.get_bounds();
    if (!std::isfinite(b.minX) || !std::isfinite(b.minY) || !std::isfinite(b.maxX) || !std::isfinite(b.maxY) ||
        b.minX > b.maxX || b.minY > b.maxY)
        throw input_error("the map has no extent to draw: its layers hold no point that is a number");
    map.SetViewport(width, height);
    if (view == view_kind::program)
        map.ZoomToExtent();
    else
        map.get_transform()->fit_centred(b.minX, b.minY, b.maxX, b.maxY);
}

std::string utf8_of_system_text(const std::string& text) {
    return platform::utf16_to_utf8(platform::to_utf16(text, platform::system_code_page()));
}

std::string layer_name(const model::CSFLayer& layer) { return utf8_of_system_text(layer.m_strName); }

value box_value(const model::CSFRect& box) { return value::array{box.minX, box.minY, box.maxX, box.maxY}; }

}  // namespace cli
