#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.h"
#include "raster/register_layers.h"
#include "vector/register_layers.h"

namespace {

const cli::command commands[] = {
    {"info", "info FILE [--json] [--frames] [--records]",
     "describe a file: .rre (header, transform, frame count, validity; --frames adds the frame "
     "index), .shp (shape type, records, layer name, header box, bounds, parts, points), "
     ".dbf (fields with names and kinds, record count; --records adds every value), "
     ".bmp/.jpg (size, depth, palette, dpi, image type), .points (the foothold pairs of a "
     "control point file), .kxr/.ktf (the map as Open or Import makes it: version, record count, "
     "snap transformation, and per layer its kind, name, bounds, colours, shapes, grid, pieces and "
     "points, icon, attribute fields and label field, icons, the RRE layer's header and frames)",
     cli::run_info},
    {"render",
     "render INPUT... | FILE.kxr | FILE.ktf -o OUT.png [--size WxH] [--icons DIR] [--label FIELD] "
     "[--gcp X,Y,LON,LAT ... | --points FILE]",
     "add the shapefiles and pictures (.jpg, .bmp) to one map as Add Layers does, fit it to the "
     "picture (1024x768 by default, a picture's own size with one) and draw it into a PNG; point "
     "layers get the icons of the icon folder and, with --label, the field as their label; a "
     "picture is drawn as the view shows it scrolled to its corner, with the footholds of --gcp "
     "or --points marked on it. A map document is drawn as an opened map (cell by cell), a text "
     "export as an imported one",
     cli::run_render},
    {"snap",
     "snap (--gcp X,Y,LON,LAT ... | --points FILE.points) [--world-file OUT] [--points-out OUT.points] "
     "[--json]",
     "fit the rotation-scale-shift transformation of a picture to foothold pairs (pixel X,Y at "
     "longitude LON, latitude LAT, the centre of the upper-left pixel being 0,0; at least 3 in "
     "use) and print its parameters, coefficients and residuals; write the world file of the fit "
     "and the pairs as a QGIS control point file on request",
     cli::run_snap},
    {"export-rre",
     "export-rre PICTURE (--gcp X,Y,LON,LAT ... | --points FILE) -o OUT.rre [--quality N] "
     "[--world-file OUT] [--json]",
     "make the picture a map's raster layer, snap it to the footholds and write it as an RRE "
     "layer of JPEG frames (quality 75 by default), the layer at byte 0 of a file of its own; "
     "print the frame size, the grid and the fit; --world-file also places the picture for GIS "
     "tools",
     cli::run_export_rre},
    {"decode-rre", "decode-rre IN.rre -o OUT.bmp|OUT.jpg [--quality N] [--world-file OUT]",
     "decode every frame of an RRE layer into one picture; --world-file writes the layer's "
     "direct transformation beside it, so that GIS tools open the picture in place",
     cli::run_decode_rre},
    {"convert-image", "convert-image IN -o OUT [--quality N]",
     "convert a picture between BMP and JPEG through the library's codecs", cli::run_convert_image},
    {"regrid", "regrid FILE.shp [--grid 10x10] [--json] [--pieces]",
     "cut a line or polygon shapefile into grid cells as saving a map does and print the piece "
     "counts and the shapes per cell; --pieces (implies --json) adds every piece with its cell, "
     "record, kind and points",
     cli::run_regrid},
    {"compose",
     "compose INPUT... -o OUT.kxr [--gcp X,Y,LON,LAT ... | --points FILE] [--icons DIR] [--hide NAME] "
     "[--colours NAME=#RRGGBB,#RRGGBB] [--icon NAME=N] [--label NAME=FIELD]",
     "build a map from shapefiles (as Add Layers adds them, a point layer bringing the icons of the "
     "icon folder), pictures (.jpg, .bmp: the raster layer, snapped to the footholds of --gcp or "
     "--points) and text exports (their layers as Import makes them), in the order given; hide "
     "layers, set their contour and fill colours, a point layer's icon number and label field by "
     "layer name; cut every visible layer into 10 x 10 cells and save the map document. A document "
     "that cannot be saved leaves the old file as it was",
     cli::run_compose},
    {"geojson", "geojson INPUT -o OUT.geojson",
     "write the vector layers of a shapefile, a text export or a map document as an RFC 7946 "
     "FeatureCollection: whole shapes from a shapefile or text export, the pieces its cells keep "
     "from a document (with their layer's name and source record); point attributes as properties",
     cli::run_geojson},
};

void print_usage(std::FILE* to) {
    std::fprintf(to, "usage: plotwright-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& c : commands) std::fprintf(to, "  %-40s %s\n", c.usage, c.summary);
    std::fprintf(to, "\n'plotwright-cli COMMAND --help' describes one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
    model::register_vector_layers();
    model::register_raster_layers();
    if (argc < 2) {
        print_usage(stderr);
        return cli::exit_usage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        print_usage(stdout);
        return cli::exit_ok;
    }
    for (const auto& c : commands) {
        if (name != c.name) continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        for (const auto& a : args) {
            if (a == "--help" || a == "-h") {
                std::printf("usage: plotwright-cli %s\n%s\n", c.usage, c.summary);
                return cli::exit_ok;
            }
        }
        try {
            return c.run(args);
        } catch (const cli::usage_error& e) {
            std::fprintf(stderr, "plotwright-cli %s: %s\nusage: plotwright-cli %s\n", c.name, e.what(),
                         c.usage);
            return cli::exit_usage;
        } catch (const cli::input_error& e) {
            std::fprintf(stderr, "plotwright-cli %s: %s\n", c.name, e.what());
            return cli::exit_input;
        }
    }
    std::fprintf(stderr, "plotwright-cli: unknown command '%s'\n", name.c_str());
    print_usage(stderr);
    return cli::exit_usage;
}
