#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/color.h"
#include "platform/endian.h"

namespace tarvel_tech::nimbra {

using platform::COLORREF;

// One palette entry as a packed bitmap holds it: blue, green, red, reserved.
struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};

// The 40-byte information header of a device-independent bitmap.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

inline constexpr std::size_t bitmap_info_size = 40;

// The header as its 40 little-endian bytes, field by field.
inline void store_bitmap_info(const BITMAPINFOHEADER& h, std::uint8_t* out) {
    using namespace platform::endian;
    put_le32(out + 0, h.biSize);
    put_le32(out + 4, static_cast<std::uint32_t>(h.biWidth));
    put_le32(out + 8, static_cast<std::uint32_t>(h.biHeight));
    put_le16(out + 12, h.biPlanes);
    put_le16(out + 14, h.biBitCount);
    put_le32(out + 16, h.biCompression);
    put_le32(out + 20, h.biSizeImage);
    put_le32(out + 24, static_cast<std::uint32_t>(h.biXPelsPerMeter));
    put_le32(out + 28, static_cast<std::uint32_t>(h.biYPelsPerMeter));
    put_le32(out + 32, h.biClrUsed);
    put_le32(out + 36, h.biClrImportant);
}

inline BITMAPINFOHEADER load_bitmap_info(const std::uint8_t* in) {
    using namespace platform::endian;
    BITMAPINFOHEADER h;
    h.biSize = get_le32(in + 0);
    h.biWidth = get_le_i32(in + 4);
    h.biHeight = get_le_i32(in + 8);
    h.biPlanes = get_le16(in + 12);
    h.biBitCount = get_le16(in + 14);
    h.biCompression = get_le32(in + 16);
    h.biSizeImage = get_le32(in + 20);
    h.biXPelsPerMeter = get_le_i32(in + 24);
    h.biYPelsPerMeter = get_le_i32(in + 28);
    h.biClrUsed = get_le32(in + 32);
    h.biClrImportant = get_le32(in + 36);
    return h;
}

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
