#include "cli/raster_input.h"

#include <algorithm>
#include <memory>

#include "cli/footholds.h"
#include "cli/map_input.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/path.h"
#include "raster/gdal_picture.h"
#include "raster/layer_rre.h"

namespace cli {

using tarvel_tech::nimbra::picture_header;

bool is_picture(const std::string& path) {
    const std::string ext = platform::lower_extension(path);
    return ext == ".bmp" || ext == ".jpg" || ext == ".jpeg" || model::is_gdal_picture(path);
}

model::CSFLayerRRE* add_picture(model::CSFMap& map, const std::string& path) {
    if (!is_picture(path)) throw usage_error("not a .bmp, .jpg, .jpeg, .png, .tif or .tiff picture: " + path);
    auto* layer = dynamic_cast<model::CSFLayerRRE*>(add_layer(map, path));
    if (!layer) throw cannot("add", path, "the picture did not become a raster layer");
    return layer;
}

std::vector<formats::control_point> footholds_of(const model::CSFLayerRRE& layer) {
    const georef::CFootHold& footholds = layer.GetFootHolds();
    std::vector<formats::control_point> points;
    for (int i = 0; i < footholds.GetCount(); ++i) {
        const georef::CPt plane = footholds.GetPlane(i);
        const georef::CPt* ground = footholds.GetGround(i);
        points.push_back({plane.x, plane.y, ground->x, ground->y, footholds.IsUsed(i)});
    }
    return points;
}

model::CSFLayerRRE* add_picture_to_export(model::CSFMap& map, const std::string& path) {
    // Only the library's own codecs read a picture band by band; GDAL's pictures come whole.
    if (model::is_gdal_picture(path)) return add_picture(map, path);
    if (!is_picture(path)) throw usage_error("not a .bmp, .jpg, .jpeg, .png, .tif or .tiff picture: " + path);
    // A map of its own for the picture: the checks Add Layers makes against other pictures
    // have nothing to check.
    auto layer = std::make_unique<model::CSFLayerRRE>(&map);
    layer->m_pTransform = map.get_snap_transform();
    if (layer->import_raster_header(platform::file_name_part(path), path) != 0)
        throw cannot("read", path, open_cause(path, "its header is not one of a picture the library reads"));
    model::CSFLayerRRE* added = layer.get();
    map.AddLayer(std::move(layer));
    map.RecomputeBounds();
    return added;
}

std::string render_size(const std::vector<std::string>& inputs, const std::string& fallback, std::uint32_t max) {
    const auto side = [max](std::int32_t v) { return std::to_string(std::min<std::uint32_t>(std::uint32_t(v), max)); };
    for (const std::string& input : inputs) {
        if (!is_picture(input)) continue;
        if (model::is_gdal_picture(input)) {
            int width = 0, height = 0;
            if (!model::read_gdal_picture_size(input, width, height)) return fallback;
            return side(width) + "x" + side(height);
        }
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
