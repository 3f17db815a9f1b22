#include "cli/raster_input.h"

#include <algorithm>

#include "cli/footholds.h"
#include "cli/map_input.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/path.h"
#include "raster/layer_rre.h"

namespace cli {

using tarvel_tech::nimbra::picture_header;

bool is_picture(const std::string& path) {
    const std::string ext = platform::lower_extension(path);
    return ext == ".bmp" || ext == ".jpg" || ext == ".jpeg";
}

model::CSFLayerRRE* add_picture(model::CSFMap& map, const std::string& path) {
    if (!is_picture(path)) throw usage_error("not a .bmp, .jpg or .jpeg picture: " + path);
    auto* layer = dynamic_cast<model::CSFLayerRRE*>(add_layer(map, path));
    if (!layer) throw cannot("add", path, "the picture did not become a raster layer");
    return layer;
}

std::string render_size(const std::vector<std::string>& inputs, const std::string& fallback, std::uint32_t max) {
    for (const std::string& input : inputs) {
        if (!is_picture(input)) continue;
        // The header alone: the picture itself is read when its layer is added, and says
        // then why it cannot be.
        picture_header header;
        try {
            platform::CFile file;
            if (!file.Open(input, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return fallback;
            const bool known = platform::lower_extension(input) == ".bmp"
                                   ? tarvel_tech::nimbra::bmp_image::read_header(&file, header)
                                   : tarvel_tech::nimbra::jpg_image::read_header(&file, header);
            if (!known || header.width <= 0 || header.height <= 0) return fallback;
        } catch (const platform::CException&) {
            return fallback;
        }
        const auto side = [max](std::int32_t v) { return std::to_string(std::min<std::uint32_t>(std::uint32_t(v), max)); };
        return side(header.width) + "x" + side(header.height);
    }
    return fallback;
}

void show_raster_layer(model::CSFMap& map, const arguments& args, int width, int height) {
    auto* layer = dynamic_cast<model::CSFLayerRRE*>(map.GetRasterLayer());
    const std::vector<formats::control_point> points = read_footholds(args);
    if (!layer) {
        if (!points.empty()) throw usage_error("footholds need a picture among the inputs");
        return;
    }
    place_footholds(*layer, points);
    layer->SetView({0, 0}, {0, 0, width, height});
}

}  // namespace cli
