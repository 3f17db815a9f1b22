#include "cli/describe.h"
#include "nimbra/image/bmp_image.h"
#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/path.h"

namespace cli {

using tarvel_tech::nimbra::bmp_image;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::picture_header;

// Only the picture's header is read: what its codec would make of it, without its pixels.
value describe_image(const std::string& path, const arguments&) {
    const bool bitmap = platform::lower_extension(path) == ".bmp";
    picture_header h;
    try {
        platform::CFile file;
        platform::CFileException error;
        if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone, &error))
            throw cannot("open", path, cause_of(error));
        if (bitmap ? !bmp_image::read_header(&file, h) : !jpg_image::read_header(&file, h))
            throw cannot("read", path, bitmap ? "not a bitmap the codec reads" : jpg_image::get_last_error());
    } catch (const platform::CException& e) {
        throw cannot("read", path, cause_of(e));
    }
    return value::object{
        {"width", h.width},
        {"height", h.height},
        {"bit_count", unsigned{h.bit_count}},
        {"palette_entries", h.palette_entries},
        {"xdpi", h.xdpi},
        {"ydpi", h.ydpi},
        {"image_type", h.image_type},
    };
}

}  // namespace cli
