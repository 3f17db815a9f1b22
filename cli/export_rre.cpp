// export-rre: a picture made the raster layer of a map, snapped to its footholds and
// written as an RRE layer of its own, as the stand-alone export does.

#include "cli/command.h"
#include "cli/footholds.h"
#include "cli/output.h"
#include "cli/raster_input.h"
#include "map/sf_map.h"
#include "platform/ui_service.h"
#include "raster/frame_grid.h"
#include "raster/layer_rre.h"
#include "raster/rre_export.h"

namespace cli {

int run_export_rre(const arguments& args) {
    if (args.positional().size() != 1) throw usage_error("export-rre takes exactly one PICTURE");
    const std::string output = args.get("-o");
    if (output.empty()) throw usage_error("export-rre needs -o OUT.rre");
    const int quality = parse_quality(args);
    const std::vector<formats::control_point> points = read_footholds(args);
    if (points.empty()) throw usage_error("export-rre needs footholds: --gcp X,Y,LON,LAT ... or --points FILE");

    const std::string& input = args.positional()[0];
    model::CSFMap map;
    model::CSFLayerRRE* layer = add_picture(map, input);
    place_footholds(*layer, points);
    {
        // The kernel would repeat its warning at every step of the fit; the fit has said why
        // when it fails.
        platform::distinct_messages once;
        if (!layer->Snap()) throw cannot("snap", input);
    }
    std::string cause;
    if (!model::export_raster_layer(map, output, quality < 0 ? 75 : quality, &cause))
        throw cannot("write", output, cause);
    write_georeferencing(args, layer->m_trSnap, {});

    const platform::CSize size = layer->get_picture_size();
    const model::frame_grid grid = model::frame_grid::for_picture(size.cx, size.cy);
    value::object report{
        {"picture", value::array{size.cx, size.cy}},
        {"frame", value::array{grid.frame_width, grid.frame_height}},
        {"columns", grid.columns},
        {"rows", grid.rows},
        {"frames", grid.frame_count()},
        {"layer", value::array{grid.covered_width(), grid.covered_height()}},
        {"fit", fit_report(layer->m_trSnap, points)},
    };
    print_report(report, args.has("--json"));
    return exit_ok;
}

}  // namespace cli
