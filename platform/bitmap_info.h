#pragma once

// The information header of a packed device-independent bitmap, as files and memory blocks
// hold it, and what every reader of one works out from it.

#include <cstddef>
#include <cstdint>
#include <limits>

#include "platform/endian.h"

namespace platform {

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

// biCompression: plain rows, run-length rows of 8 or 4 bits, and rows under bit-field masks.
enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

// The header as its 40 little-endian bytes, field by field.
inline void store_bitmap_info(const BITMAPINFOHEADER& h, std::uint8_t* out) {
    using namespace endian;
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
    using namespace endian;
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

// Bytes of one pixel row: width x bits rounded up to whole 32-bit words.
constexpr std::uint64_t dib_stride(std::uint64_t width, unsigned bits) { return (width * bits + 31) / 32 * 4; }

// A positive width and a height whose magnitude is an int32 as well; a negative height
// means the rows are stored top-down.
constexpr bool dib_has_size(const BITMAPINFOHEADER& h) {
    return h.biWidth > 0 && h.biHeight != 0 && h.biHeight != std::numeric_limits<std::int32_t>::min();
}
constexpr bool dib_top_down(const BITMAPINFOHEADER& h) { return h.biHeight < 0; }
constexpr std::int32_t dib_rows(const BITMAPINFOHEADER& h) { return h.biHeight < 0 ? -h.biHeight : h.biHeight; }

// Whether rows of this depth may be stored with this compression.
constexpr bool dib_compression_fits(std::uint32_t compression, unsigned bits) {
    switch (bits) {
        case 1: return compression == BI_RGB;
        case 4: return compression == BI_RGB || compression == BI_RLE4;
        case 8: return compression == BI_RGB || compression == BI_RLE8;
        case 16:
        case 32: return compression == BI_RGB || compression == BI_BITFIELDS;
        case 24: return compression == BI_RGB;
        default: return false;
    }
}
constexpr bool dib_run_length(const BITMAPINFOHEADER& h) {
    return h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
}

// Palette entries behind the header: biClrUsed when set and below what the depth can index,
// else all the depth can index; none above 8 bits.
constexpr std::uint32_t dib_palette_entries(const BITMAPINFOHEADER& h) {
    if (h.biBitCount > 8) return 0;
    const std::uint32_t full = 1u << h.biBitCount;
    return h.biClrUsed != 0 && h.biClrUsed < full ? h.biClrUsed : full;
}

// Where the three bit-field masks (red, green, blue) stand, counted from the header's first
// byte: inside the headers of 52 bytes and more, right behind a shorter one.
constexpr std::size_t dib_masks_offset(std::uint32_t header_size) { return header_size >= 52 ? 40 : header_size; }

}  // namespace platform
