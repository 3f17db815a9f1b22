// render: builds a map from shapefiles and pictures as Add Layers would, or opens a map
// document or text export, frames it in the picture and draws it through the off-screen
// painter into a PNG, JPEG or BMP file.

#include <cmath>

#include "cli/command.h"
#include "cli/map_files.h"
#include "cli/map_input.h"
#include "cli/output.h"
#include "cli/raster_input.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/code_page.h"
#include "platform/image_dc.h"
#include "shapes/sf_line.h"
#include "shapes/sf_point.h"
#include "vector/icon_folder.h"
#include "vector/layer_point.h"

namespace cli {
namespace {

constexpr std::uint32_t kMaxSide = 16384;

bool has_number(const model::CSFPt& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// Records with points none of which is a number cannot be drawn anywhere; a map drawn without
// them would look complete.
void check_drawable(model::CSFLayer& layer) {
    std::uint32_t lost = 0;
    std::int32_t first = 0;
    for (std::uint32_t i = 0; i < layer.m_nShapes; ++i) {
        const model::CSFShape* shape = layer.GetShape(i);
        bool drawable = true;
        if (const auto* point = dynamic_cast<const model::CSFPoint*>(shape)) {
            drawable = has_number(point->m_pt);
        } else if (const auto* line = dynamic_cast<const model::CSFLine*>(shape); line && !line->m_pPoints.empty()) {
            drawable = false;
            for (const model::CSFPt& p : line->m_pPoints) drawable |= has_number(p);
        }
        if (drawable) continue;
        if (lost++ == 0) first = shape->m_nRecord;
    }
    if (lost == 0) return;
    throw input_error("cannot draw layer '" + layer_name(layer) + "': " + std::to_string(lost) + " of its " +
                      std::to_string(layer.m_nShapes) + " records (the first is record " + std::to_string(first) +
                      ") have no point whose coordinates are numbers");
}

}  // namespace

int run_render(const arguments& args) {
    if (args.positional().empty()) throw usage_error("render needs at least one INPUT");
    const std::string out = args.get("-o");
    if (out.empty()) throw usage_error("render needs -o OUT");
    const picture_kind kind = output_kind(out, {picture_kind::png, picture_kind::jpeg, picture_kind::bmp});
    // Without --size, a picture among the inputs is drawn at its own size.
    const std::string size = args.get("--size", render_size(args.positional(), "1024x768", kMaxSide));
    const auto [columns, rows] = parse_dimensions(size, "--size", "WIDTHxHEIGHT", kMaxSide);
    if (std::int64_t{columns} * rows > tarvel_tech::nimbra::paint::max_surface_pixels)
        throw usage_error("--size " + size + ": the painter draws at most " +
                          std::to_string(tarvel_tech::nimbra::paint::max_surface_pixels) + " pixels");
    const int width = static_cast<int>(columns), height = static_cast<int>(rows);
    const view_kind view = parse_view(args);

    for (const std::string& input : args.positional()) {
        if (!is_map_file(input)) continue;
        if (args.positional().size() > 1)
            throw usage_error(input + ": a map document or text export is rendered alone, with its own layers");
        args.take_only({"-o", "--size", "--view", "--code-page"}, "to map documents and text exports, which "
                                                                  "bring their own icons, labels and footholds");
        render_map(input, out, kind, width, height, view);
        return exit_ok;
    }
    const std::string icons = icon_folder(args);

    model::CSFMap map;
    platform::CImageDC target(width, height);
    if (target.GetWidth() != width || target.GetHeight() != height) throw input_error("out of memory");
    for (const std::string& input : args.positional()) {
        model::CSFLayer* layer = add_layer(map, input);
        check_drawable(*layer);
        model::add_icon_layer_for(map, layer, icons, &target);
    }
    if (args.has("--label")) {
        const std::string field = platform::utf8_to_system_code_page(args.get("--label"));
        bool found = false;
        for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i)
            if (auto* points = dynamic_cast<model::CSFLayerPoint*>(map.GetLayer(i)))
                found |= points->set_label_field(field);
        if (!found) throw usage_error("no point layer has a field '" + args.get("--label") + "'");
    }

    show_raster_layer(map, args, width, height);
    frame_map(map, width, height, view);
    tarvel_tech::nimbra::w32_paint painter(&target, nullptr, tarvel_tech::nimbra::paint::fill_background);
    map.DrawLayers(&painter);
    tarvel_tech::nimbra::bmp_image* picture = painter.get_bitmap();
    if (!picture) throw input_error("out of memory");
    save_picture(*picture, out, kind, -1);
    return exit_ok;
}

}  // namespace cli
