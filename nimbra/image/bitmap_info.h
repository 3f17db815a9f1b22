#pragma once

#include <cstdint>

#include "platform/bitmap_info.h"
#include "platform/color.h"

namespace tarvel_tech::nimbra {

using platform::COLORREF;
// The block goes to the platform's bitmap drawing as it stands, so header and palette entries
// are the platform's.
using platform::BITMAPINFOHEADER;
using platform::RGBQUAD;
using platform::bitmap_info_size;
using platform::load_bitmap_info;
using platform::store_bitmap_info;

// What an image keeps beside its header.
struct tag_image_info {
    std::uint32_t line_bytes = 0;    // bytes per pixel row, a multiple of 4
    std::uint8_t* bits = nullptr;    // the first pixel row inside the block
    std::int32_t image_type = 0;     // __image::image_type
    RGBQUAD background_color;        // answered for pixels outside the image
    std::int32_t background_index = 0;  // index answered outside an indexed image; -1: none
    std::uint8_t quality = 0;        // JPEG quality
    std::int32_t xdpi = 0;
    std::int32_t ydpi = 0;
    std::uint8_t reserved[16] = {};
    std::uint32_t borrowed = 0;      // non-zero: the block is someone else's, never freed here
};

}  // namespace tarvel_tech::nimbra
