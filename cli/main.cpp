#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/code_page.h"
#include "platform/exceptions.h"
#include "raster/register_layers.h"
#include "vector/register_layers.h"

namespace {

using cli::option;

const option json_option{"--json", nullptr, "print one JSON object instead of text lines"};
const option quality_option{"--quality", "N", "JPEG quality, 0 to 100 (default 75)"};
const option gcp_option{"--gcp", "X,Y,LON,LAT",
                        "one foothold: pixel column X and row Y (0,0 the centre of the upper-left pixel) at "
                        "longitude LON, latitude LAT in degrees (repeat for each)",
                        true};
const option points_option{"--points", "FILE.points",
                           "the footholds of a QGIS control point file instead of --gcp (default: none)"};
const option world_file_option{"--world-file", "OUT",
                               "also write the world file placing the picture for GIS tools, e.g. OUT.jgw "
                               "(default: none)"};

// Every command with its options; main parses, refuses and documents them from here.
const std::vector<cli::command>& commands() {
    static const std::vector<cli::command> table{
        {"info",
         "FILE",
         "describe a file: .shp (shape type, records, layer name, header box, bounds, parts, points, "
         "the table's fields), .dbf (fields and kinds, record count), .rre (every header field, the "
         "transform, frame count, validity, frames outside the file), .bmp/.jpg (size, depth, "
         "palette, dpi, image type; only the header is read), .points (the foothold pairs of a "
         "control point file), .kxr/.ktf (the map as Open or Import makes it: version, record count, "
         "snap transformation, and per layer its kind, name, bounds, colours, shapes, grid, pieces "
         "and points, icon, fields and label field, icons, the RRE layer's picture and frames)",
         {json_option,
          {"--frames", nullptr, ".rre only: add the frame index"},
          {"--records", nullptr, ".dbf only: add every record's values"},
          cli::code_page_option},
         cli::run_info},
        {"render",
         "INPUT... -o OUT",
         "add the shapefiles and pictures (.jpg, .bmp) to one map as Add Layers does, or open one map "
         "document (.kxr) or text export (.ktf), and draw it into a picture through the off-screen "
         "painter; the map is centred and fills the picture. A picture is drawn one to one from its "
         "top-left corner, as the view shows it, with the footholds of --gcp or --points marked on it; "
         "a map document is drawn as an opened map (cell by cell), a text export as an imported one",
         {{"-o", "OUT", "the picture to write; its extension says its kind: .png, .jpg or .bmp (required)"},
          {"--size", "WxH", "the picture's size in pixels (default: the first picture's own size, else 1024x768)"},
          {"--view", "centre|program",
           "centre: the map centred, filling the picture, its shape the same at every size; program: "
           "as the desktop program's Zoom to extent, the map's north-west corner at the top-left "
           "with room to turn (default centre)"},
          {"--icons", "DIR",
           "not for .kxr/.ktf: the icon folder for point layers (default: the settings' PathIcons, else "
           "Icons beside the program)"},
          {"--label", "FIELD",
           "not for .kxr/.ktf: draw this field of the point layers' tables beside every point (default: "
           "no labels)"},
          gcp_option,
          points_option,
          cli::code_page_option},
         cli::run_render},
        {"snap",
         "(--gcp X,Y,LON,LAT ... | --points FILE.points)",
         "fit the rotation-scale-shift transformation of a picture to foothold pairs (at least 3 in "
         "use, not all on one line) and print its parameters, coefficients and residuals; write the "
         "world file of the fit and the pairs as a QGIS control point file on request",
         {gcp_option,
          points_option,
          world_file_option,
          {"--points-out", "OUT.points", "also write the pairs as a QGIS control point file (default: none)"},
          json_option},
         cli::run_snap},
        {"export-rre",
         "PICTURE (--gcp X,Y,LON,LAT ... | --points FILE.points) -o OUT.rre",
         "make the picture (.jpg, .bmp) a map's raster layer, snap it to the footholds and write it as "
         "an RRE layer of JPEG frames, the layer at byte 0 of a file of its own; print the picture and "
         "frame sizes, the frame grid and the fit",
         {{"-o", "OUT.rre", "the RRE layer to write (required)"},
          gcp_option,
          points_option,
          quality_option,
          world_file_option,
          json_option},
         cli::run_export_rre},
        {"decode-rre",
         "IN.rre -o OUT",
         "decode every frame of an RRE layer into one picture",
         {{"-o", "OUT", "the picture to write: .bmp, .jpg or .png (required)"},
          quality_option,
          {"--world-file", "OUT",
           "also write the layer's direct transformation as the picture's world file, e.g. OUT.jgw, "
           "so that GIS tools open it in place (default: none)"}},
         cli::run_decode_rre},
        {"convert-image",
         "IN -o OUT",
         "convert a .bmp or .jpg picture through the library's codecs; pictures with a colour palette "
         "become 24-bit colour in a JPEG or PNG",
         {{"-o", "OUT", "the picture to write: .bmp, .jpg or .png (required)"}, quality_option},
         cli::run_convert_image},
        {"regrid",
         "FILE.shp",
         "cut a line or polygon shapefile into grid cells as saving a map does and print the piece "
         "counts and the shapes per cell",
         {{"--grid", "COLUMNSxROWS", "the grid, each 1 to 1000 (default 10x10)"},
          json_option,
          {"--pieces", nullptr, "add every piece with its cell, record and points (implies --json)"},
          cli::code_page_option},
         cli::run_regrid},
        {"compose",
         "INPUT... -o OUT.kxr",
         "build a map, in the order given, from shapefiles (as Add Layers adds them, a point layer "
         "bringing the icons of the icon folder), pictures (.jpg, .bmp: the raster layer, snapped to "
         "the footholds) and text exports (their layers as Import makes them); style its layers by "
         "name; cut every visible layer into 10 x 10 cells and save the map document. A document that "
         "cannot be saved leaves the old file as it was",
         {{"-o", "OUT.kxr", "the map document to write (required)"},
          gcp_option,
          points_option,
          {"--icons", "DIR",
           "the icon folder for point layers (default: the settings' PathIcons, else Icons beside the "
           "program)"},
          {"--hide", "NAME", "hide the layers of that name, which are then not saved; repeatable (default: none)",
           true},
          {"--colours", "NAME=#RRGGBB,#RRGGBB",
           "the contour and fill colours of the layers of that name, either may be left out; "
           "repeatable (default: the layer's own)",
           true},
          {"--icon", "NAME=N",
           "the icon number of the point layers of that name, negative for none; repeatable "
           "(default: the layer's own)",
           true},
          {"--label", "NAME=FIELD",
           "the label field of the point layers of that name; repeatable (default: no label)", true},
          cli::code_page_option},
         cli::run_compose},
        {"geojson",
         "INPUT -o OUT.geojson",
         "write the vector layers of a shapefile, a text export (.ktf) or a map document (.kxr) as an "
         "RFC 7946 FeatureCollection: whole shapes from a shapefile or text export, the pieces its cells "
         "keep from a document (with their layer's name and source record); the attributes a point layer "
         "keeps as properties",
         {{"-o", "OUT.geojson", "the GeoJSON file to write (required)"}, cli::code_page_option},
         cli::run_geojson},
    };
    return table;
}

void print_usage(std::FILE* to) {
    std::fprintf(to, "usage: plotwright-cli COMMAND [ARGS...]\n       plotwright-cli --version\n\ncommands:\n");
    for (const auto& c : commands()) std::fprintf(to, "  %-14s %s\n", c.name, c.synopsis);
    std::fprintf(to,
                 "\n'plotwright-cli COMMAND --help' describes one command.\n"
                 "Exit codes: 0 done, 1 usage error, 2 an input cannot be read or a result cannot be written.\n");
}

void print_help(const cli::command& c) {
    std::printf("usage: plotwright-cli %s %s [options]\n\n%s\n\noptions:\n", c.name, c.synopsis, c.summary);
    for (const option& o : c.options) {
        const std::string head = std::string(o.name) + (o.value ? std::string(" ") + o.value : "");
        std::printf("  %-22s %s\n", head.c_str(), o.help);
    }
    std::printf("  %-22s %s\n", "--help", "print this help");
}

bool takes(const cli::command& c, const option& wanted) {
    for (const option& o : c.options)
        if (std::strcmp(o.name, wanted.name) == 0) return true;
    return false;
}

int fail(const cli::command& c, cli::exit_code code, const std::string& message) {
    std::fprintf(stderr, "plotwright-cli %s: %s\n", c.name, message.c_str());
    if (code == cli::exit_usage)
        std::fprintf(stderr, "usage: plotwright-cli %s %s [options]; 'plotwright-cli %s --help' lists them\n", c.name,
                     c.synopsis, c.name);
    return code;
}

int run(const cli::command& c, const std::vector<std::string>& raw) {
    try {
        const cli::arguments args(raw, c.options);
        if (takes(c, cli::code_page_option) && args.has("--code-page") &&
            !platform::choose_code_page(args.get("--code-page")))
            throw cli::usage_error("--code-page " + args.get("--code-page") +
                                   ": no such code page (CP1251, CP1252, KOI8-R ...; 'iconv --list' names them all)");
        const int code = c.run(args);
        // A report that did not reach its reader is no success.
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            return fail(c, cli::exit_input, "cannot write the report to standard output: " + cli::os_cause(errno));
        return code;
    } catch (const cli::usage_error& e) {
        return fail(c, cli::exit_usage, e.what());
    } catch (const cli::input_error& e) {
        return fail(c, cli::exit_input, e.what());
    } catch (const platform::CException& e) {
        return fail(c, cli::exit_input, e.what());
    } catch (const std::bad_alloc&) {
        return fail(c, cli::exit_input, "out of memory");
    } catch (const std::length_error&) {
        return fail(c, cli::exit_input, "out of memory");
    }
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
    if (name == "--version") {
        std::printf("plotwright-cli %s\n", PLOTWRIGHT_VERSION);
        return cli::exit_ok;
    }
    for (const auto& c : commands()) {
        if (name != c.name) continue;
        const std::vector<std::string> args(argv + 2, argv + argc);
        for (const auto& a : args) {
            if (a == "--help" || a == "-h") {
                print_help(c);
                return cli::exit_ok;
            }
        }
        return run(c, args);
    }
    std::fprintf(stderr, "plotwright-cli: unknown command '%s'\n", name.c_str());
    print_usage(stderr);
    return cli::exit_usage;
}
