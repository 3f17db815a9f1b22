#include "cli/command.h"
#include "cli/output.h"

namespace cli {

int run_convert_image(const arguments& args) {
    if (args.positional().size() != 1) throw usage_error("convert-image takes exactly one IN picture");
    const std::string output = args.get("-o");
    if (output.empty()) throw usage_error("convert-image needs -o OUT");
    const picture_kind kind = output_kind(output, {picture_kind::bmp, picture_kind::jpeg, picture_kind::png});
    const int quality = parse_quality(args);
    auto picture = load_picture(args.positional()[0]);
    save_picture(*picture, output, kind, quality);
    return exit_ok;
}

}  // namespace cli
