// render: builds a map from shapefiles and pictures as Add Layers would, fits it to the
// picture and draws it through the off-screen painter into a PNG.

#include "cli/command.h"
#include "cli/map_files.h"
#include "cli/map_input.h"
#include "cli/raster_input.h"
#include "map/sf_layer.h"
#include "map/sf_map.h"
#include "nimbra/paint/w32_paint.h"
#include "platform/code_page.h"
#include "platform/image_dc.h"
#include "vector/icon_folder.h"
#include "vector/layer_point.h"

namespace cli {
namespace {

constexpr std::uint32_t kMaxSide = 16384;

}  // namespace

int run_render(const std::vector<std::string>& raw) {
    arguments args(raw, {{"-o", true}, {"--size", true}, {"--icons", true}, {"--label", true}, {"--gcp", true},
                         {"--points", true}});
    if (args.positional().empty()) throw usage_error("render needs at least one INPUT");
    const std::string out = args.get("-o");
    if (out.empty()) throw usage_error("render needs -o OUT.png");
    const std::string size = args.get("--size", render_size(args.positional(), "1024x768", kMaxSide));
    const auto [columns, rows] = parse_dimensions(size, "--size", "WIDTHxHEIGHT", kMaxSide);
    const int width = static_cast<int>(columns), height = static_cast<int>(rows);
    for (const std::string& input : args.positional()) {
        if (!is_map_file(input)) continue;
        if (args.positional().size() > 1 || args.has("--icons") || args.has("--label"))
            throw usage_error(input + ": a map document or text export is rendered alone, with its own icons and "
                              "labels");
        render_map(input, out, width, height);
        return exit_ok;
    }
    const std::string icons = args.has("--icons") ? args.get("--icons") : model::icon_folder(program_folder());

    model::CSFMap map;
    platform::CImageDC target(width, height);
    for (const std::string& input : args.positional())
        model::add_icon_layer_for(map, add_layer(map, input), icons, &target);
    if (args.has("--label")) {
        const std::string field = platform::utf8_to_system_code_page(args.get("--label"));
        bool found = false;
        for (std::uint32_t i = 0; i < map.GetLayerCount(); ++i)
            if (auto* points = dynamic_cast<model::CSFLayerPoint*>(map.GetLayer(i)))
                found |= points->set_label_field(field);
        if (!found) throw usage_error("no point layer has a field '" + args.get("--label") + "'");
    }

    show_raster_layer(map, args, width, height);
    map.SetViewport(width, height);
    map.ZoomToExtent();
    {
        tarvel_tech::nimbra::w32_paint painter(&target, nullptr, tarvel_tech::nimbra::paint::fill_background);
        map.DrawLayers(&painter);
    }
    if (!target.SavePng(out)) throw input_error("cannot write " + out);
    return exit_ok;
}

}  // namespace cli
