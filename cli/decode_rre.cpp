#include "cli/command.h"
#include "cli/image_files.h"
#include "formats/world_file.h"
#include "nimbra/layer/layer_image.h"
#include "nimbra/layer/read_layer.h"
#include "platform/exceptions.h"

namespace cli {

using tarvel_tech::nimbra::layer_image;
using tarvel_tech::nimbra::read_layer;

int run_decode_rre(const std::vector<std::string>& raw) {
    arguments args(raw, {{"-o", true}, {"--quality", true}, {"--world-file", true}});
    if (args.positional().size() != 1) throw usage_error("decode-rre takes exactly one IN.rre");
    const std::string output = args.get("-o");
    if (output.empty()) throw usage_error("decode-rre needs -o OUT.bmp|OUT.jpg");
    if (!codec_for(output)) throw usage_error("not a .bmp or .jpg output: " + output);
    const int quality = parse_quality(args);

    const std::string& input = args.positional()[0];
    read_layer source;
    layer_image picture;
    try {
        if (!source.load(input)) throw input_error("cannot open " + input);
        if (!source.is_valid()) throw input_error("not a valid RRE layer: " + input);
        if (!picture.load(&source)) {
            const layer_image::failure& why = picture.get_failure();
            if (why.index < 0) throw input_error("cannot decode " + input + ": " + why.reason);
            throw input_error("cannot decode frame " + std::to_string(why.index) + " (row " + std::to_string(why.row) +
                              ", column " + std::to_string(why.column) + ") of " + input + ": " + why.reason);
        }
    } catch (const platform::CException& e) {
        throw input_error("cannot read " + input + ": " + e.what());
    }
    save_picture(picture, output, quality);
    if (args.has("--world-file")) {
        // The layer's direct coefficients place its pixels, as they place the picture's.
        const auto t = source.get_transform();
        const formats::world_transform direct{t[0], t[1], t[2], t[3], t[4], t[5]};
        std::string error;
        const std::string path = args.get("--world-file");
        if (!formats::write_world_file(path, direct, error)) throw input_error("cannot write " + path + ": " + error);
    }
    return exit_ok;
}

}  // namespace cli
