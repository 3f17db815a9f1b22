#include "cli/describe.h"
#include "cli/image_files.h"

namespace cli {

value describe_image(const std::string& path, const arguments&) {
    const auto picture = load_picture(path);
    const auto& h = picture->get_info();
    const auto& x = picture->get_exinfo();
    return value::object{
        {"width", h.biWidth},
        {"height", h.biHeight},
        {"bit_count", unsigned{h.biBitCount}},
        {"palette_entries", h.biClrUsed},
        {"xdpi", x.xdpi},
        {"ydpi", x.ydpi},
        {"image_type", x.image_type},
    };
}

}  // namespace cli
