// A JPEG picture decoded from memory, as pictures and RRE frames are.

#include <cstdlib>

#include "nimbra/image/jpg_image.h"
#include "platform/exceptions.h"

using tarvel_tech::nimbra::jpg_image;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    jpg_image picture;
    try {
        if (!picture.decode(data, size)) return 0;
    } catch (const platform::CException&) {
        return 0;
    }
    const auto& info = picture.get_info();
    if (info.biWidth <= 0 || info.biHeight <= 0 || (info.biBitCount != 8 && info.biBitCount != 24) || !*picture)
        std::abort();
    return 0;
}
