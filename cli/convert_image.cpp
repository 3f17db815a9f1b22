#include "cli/command.h"
#include "cli/image_files.h"

namespace cli {

int parse_quality(const arguments& args) {
    if (!args.has("--quality")) return -1;
    const std::string text = args.get("--quality");
    int quality = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9' || quality > 100) throw usage_error("--quality takes 0 to 100");
        quality = quality * 10 + (ch - '0');
    }
    if (text.empty() || quality > 100) throw usage_error("--quality takes 0 to 100");
    return quality;
}

int run_convert_image(const std::vector<std::string>& raw) {
    arguments args(raw, {{"-o", true}, {"--quality", true}});
    if (args.positional().size() != 1) throw usage_error("convert-image takes exactly one IN picture");
    const std::string output = args.get("-o");
    if (output.empty()) throw usage_error("convert-image needs -o OUT.bmp|OUT.jpg");
    if (!codec_for(output)) throw usage_error("not a .bmp or .jpg output: " + output);
    const int quality = parse_quality(args);
    auto picture = load_picture(args.positional()[0]);
    save_picture(*picture, output, quality);
    return exit_ok;
}

}  // namespace cli
