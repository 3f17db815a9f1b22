#pragma once

#include <cstdint>

namespace tarvel_tech::nimbra {

// What decoding a picture file would give, known from its header alone: the size, the
// depth and palette of the image the codec creates, its resolution and its image type.
struct picture_header {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bit_count = 0;        // 1, 4, 8 or 24, as the codec creates the image
    std::uint32_t palette_entries = 0;  // 2, 16, 256 or 0
    std::int32_t xdpi = 0;
    std::int32_t ydpi = 0;
    std::int32_t image_type = 0;        // __image::image_type
};

}  // namespace tarvel_tech::nimbra
