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
#include "vector/register_layers.h"

namespace {

using cli::option;

const option json_option{"--json", nullptr, "print one JSON object instead of text lines"};
const option quality_option{"--quality", "N", "JPEG quality, 0 to 100 (default 75)"};

// Every command with its options; main parses, refuses and documents them from here.
const std::vector<cli::command>& commands() {
    static const std::vector<cli::command> table{
        {"info",
         "FILE",
         "describe a file: .shp (shape type, records, layer name, header box, bounds, parts, points, "
         "the table's fields), .dbf (fields and kinds, record count), .rre (every header field, the "
         "transform, frame count, validity, frames outside the file), .bmp/.jpg (size, depth, "
         "palette, dpi, image type; only the header is read)",
         {json_option,
          {"--frames", nullptr, ".rre only: add the frame index"},
          {"--records", nullptr, ".dbf only: add every record's values"},
          cli::code_page_option},
         cli::run_info},
        {"render",
         "INPUT.shp... -o OUT",
         "add the shapefiles to one map as Add Layers does and draw it into a picture through the "
         "off-screen painter; the map is centred and fills the picture",
         {{"-o", "OUT", "the picture to write; its extension says its kind: .png, .jpg or .bmp (required)"},
          {"--size", "WxH", "the picture's size in pixels (default 1024x768)"},
          {"--view", "centre|program",
           "centre: the map centred, filling the picture, its shape the same at every size; program: "
           "as the desktop program's Zoom to extent, the map's north-west corner at the top-left "
           "with room to turn (default centre)"},
          {"--icons", "DIR",
           "the icon folder for point layers (default: the settings' PathIcons, else Icons beside the "
           "program)"},
          {"--label", "FIELD", "draw this field of the point layers' tables beside every point (default: no labels)"},
          cli::code_page_option},
         cli::run_render},
        {"snap",
         "--gcp X,Y,LON,LAT [--gcp ...]",
         "fit the rotation-scale-shift transformation of a picture to foothold pairs (pixel X,Y at "
         "longitude LON, latitude LAT; at least 3, not all on one line) and print its parameters, "
         "coefficients and residuals",
         {{"--gcp", "X,Y,LON,LAT", "one foothold pair (repeat for each)", true}, json_option},
         cli::run_snap},
        {"decode-rre",
         "IN.rre -o OUT",
         "decode every frame of an RRE layer into one picture",
         {{"-o", "OUT", "the picture to write: .bmp, .jpg or .png (required)"}, quality_option},
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
