#include "cli/command.h"
#include "cli/output.h"
#include "nimbra/layer/layer_image.h"
#include "nimbra/layer/read_layer.h"
#include "platform/exceptions.h"

namespace cli {

using tarvel_tech::nimbra::layer_image;
using tarvel_tech::nimbra::read_layer;

int run_decode_rre(const arguments& args) {
    if (args.positional().size() != 1) throw usage_error("decode-rre takes exactly one IN.rre");
    const std::string output = args.get("-o");
    if (output.empty()) throw usage_error("decode-rre needs -o OUT");
    const picture_kind kind = output_kind(output, {picture_kind::bmp, picture_kind::jpeg, picture_kind::png});
    const int quality = parse_quality(args);

    const std::string& input = args.positional()[0];
    read_layer source;
    layer_image picture;
    try {
        if (!source.load(input)) throw cannot("open", input, open_cause(input, "it cannot be read"));
        if (!source.is_valid()) throw cannot("decode", input, "its header or frame index is not valid");
        if (!picture.load(&source)) {
            const layer_image::failure& why = picture.get_failure();
            if (why.index < 0) throw cannot("decode", input, why.reason);
            throw input_error("cannot decode frame " + std::to_string(why.index) + " (row " + std::to_string(why.row) +
                              ", column " + std::to_string(why.column) + ") of " + input + ": " + why.reason);
        }
    } catch (const platform::CException& e) {
        throw cannot("read", input, cause_of(e));
    }
    save_picture(picture, output, kind, quality);
    if (args.has("--world-file")) {
        // The layer's direct coefficients place its pixels, as they place the picture's.
        const auto t = source.get_transform();
        write_world_file(args.get("--world-file"), {t[0], t[1], t[2], t[3], t[4], t[5]});
    }
    return exit_ok;
}

}  // namespace cli
