#include "platform/dib_reader.h"

#include <bit>

#include "platform/bitmap_info.h"
#include "platform/endian.h"

namespace platform {

bool dib_reader::open(dib_header_view header, const std::uint8_t* bits) {
    if (!header.header || header.size < bitmap_info_size || !bits) return false;
    const BITMAPINFOHEADER info = load_bitmap_info(header.header);
    if (info.biSize < bitmap_info_size || info.biSize > header.size) return false;
    if (!dib_has_size(info)) return false;
    // Run-length rows cannot be reached row by row: this drawing layer shows none.
    bit_count_ = info.biBitCount;
    if (!dib_compression_fits(info.biCompression, bit_count_) || dib_run_length(info)) return false;
    width_ = info.biWidth;
    height_ = dib_rows(info);
    bottom_up_ = !dib_top_down(info);
    bits_ = bits;
    stride_ = dib_stride(width_, bit_count_);

    const std::uint8_t* after = header.header + info.biSize;
    const std::size_t left = header.size - info.biSize;
    if (bit_count_ <= 8) {
        palette_size_ = static_cast<int>(dib_palette_entries(info));
        if (left < static_cast<std::size_t>(palette_size_) * 4) return false;
        for (int i = 0; i < palette_size_; ++i) {
            const std::uint8_t* q = after + 4 * i;  // blue, green, red, reserved
            palette_[i] = 0xFF000000u | std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
        }
    } else if (bit_count_ != 24) {
        if (info.biCompression == BI_BITFIELDS) {
            const std::size_t at = dib_masks_offset(info.biSize);
            if (at + 12 > header.size) return false;
            for (int i = 0; i < 3; ++i) masks_[i] = endian::get_le32(header.header + at + 4 * i);
        } else if (bit_count_ == 16) {
            masks_[0] = 0x7C00, masks_[1] = 0x03E0, masks_[2] = 0x001F;
        } else {
            masks_[0] = 0xFF0000, masks_[1] = 0xFF00, masks_[2] = 0xFF;
        }
        for (int i = 0; i < 3; ++i) {
            shifts_[i] = masks_[i] ? std::countr_zero(masks_[i]) : 0;
            widths_[i] = masks_[i] ? std::popcount(masks_[i]) : 0;
        }
    }
    return true;
}

std::uint32_t dib_reader::pixel(const std::uint8_t* row, int x) const {
    switch (bit_count_) {
        case 1: return palette_[std::min((row[x >> 3] >> (7 - (x & 7))) & 1, palette_size_ - 1)];
        case 4: return palette_[std::min((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15, palette_size_ - 1)];
        case 8: return palette_[std::min<int>(row[x], palette_size_ - 1)];
        case 24: {
            const std::uint8_t* p = row + 3 * x;
            return 0xFF000000u | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
        }
        default: {
            const std::uint32_t v = bit_count_ == 16 ? endian::get_le16(row + 2 * x) : endian::get_le32(row + 4 * x);
            std::uint32_t out = 0xFF000000u;
            for (int i = 0; i < 3; ++i) {
                std::uint32_t c = 0;
                if (widths_[i]) {
                    const std::uint32_t raw = (v & masks_[i]) >> shifts_[i];
                    const std::uint32_t max = (widths_[i] >= 32) ? 0xFFFFFFFFu : ((1u << widths_[i]) - 1);
                    c = static_cast<std::uint32_t>((std::uint64_t{raw} * 255 + max / 2) / max);
                }
                out |= c << (16 - 8 * i);
            }
            return out;
        }
    }
}

QImage dib_reader::read(const QRect& rect) const {
    QImage out(rect.width(), rect.height(), QImage::Format_RGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < rect.height(); ++y) {
        const int picture_row = rect.top() + y;
        const int memory_row = bottom_up_ ? height_ - 1 - picture_row : picture_row;
        const std::uint8_t* row = bits_ + static_cast<std::size_t>(memory_row) * stride_;
        auto* dst = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        if (bit_count_ == 24) {
            const std::uint8_t* p = row + 3 * static_cast<std::size_t>(rect.left());
            for (int x = 0; x < rect.width(); ++x, p += 3)
                dst[x] = 0xFF000000u | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
        } else {
            for (int x = 0; x < rect.width(); ++x) dst[x] = pixel(row, rect.left() + x);
        }
    }
    return out;
}

}  // namespace platform
