#include "cli/image_files.h"

#include "cli/command.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"
#include "platform/path.h"

namespace cli {

using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_image;

std::unique_ptr<image> codec_for(const std::string& path) {
    const std::string ext = platform::lower_extension(path);
    if (ext == ".bmp") return std::make_unique<bmp_image>();
    if (ext == ".jpg" || ext == ".jpeg") return std::make_unique<jpg_image>();
    return nullptr;
}

namespace {

// What the codec said, for a failure: libjpeg's message for JPEG files.
std::string codec_reason(const image& codec) {
    if (dynamic_cast<const jpg_image*>(&codec) && *jpg_image::get_last_error())
        return std::string(": ") + jpg_image::get_last_error();
    return {};
}

}  // namespace

std::unique_ptr<image> load_picture(const std::string& path) {
    std::unique_ptr<image> picture = codec_for(path);
    if (!picture) throw usage_error("not a .bmp or .jpg picture: " + path);
    try {
        if (!picture->load(path)) throw input_error("cannot read " + path + codec_reason(*picture));
    } catch (const platform::CException& e) {
        throw input_error("cannot read " + path + ": " + e.what());
    }
    return picture;
}

void save_picture(image& picture, const std::string& path, int quality) {
    std::unique_ptr<image> out = codec_for(path);
    if (!out) throw usage_error("not a .bmp or .jpg output: " + path);
    out->take_over(picture);
    if (quality >= 0) out->get_exinfo().quality = static_cast<std::uint8_t>(quality);
    try {
        if (!out->save(path)) throw input_error("cannot write " + path + codec_reason(*out));
    } catch (const platform::CException& e) {
        throw input_error("cannot write " + path + ": " + e.what());
    }
}

}  // namespace cli
