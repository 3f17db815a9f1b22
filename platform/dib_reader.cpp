#include "platform/dib_reader.h"

#include <bit>
#include <cstdlib>

#include "platform/endian.h"

namespace platform {
namespace {

constexpr std::uint32_t bi_rgb = 0;
constexpr std::uint32_t bi_bitfields = 3;

}  // namespace

bool dib_reader::open(dib_header_view header, const std::uint8_t* bits) {
    using namespace endian;
    if (!header.header || header.size < 40 || !bits) return false;
    const std::uint8_t* h = header.header;
    const std::uint32_t header_size = get_le32(h);
    if (header_size < 40 || header_size > header.size) return false;
    const std::int32_t w = get_le_i32(h + 4);
    const std::int32_t raw_height = get_le_i32(h + 8);
    bit_count_ = get_le16(h + 14);
    const std::uint32_t compression = get_le32(h + 16);
    const std::uint32_t colours_used = get_le32(h + 32);
    if (w <= 0 || raw_height == 0 || raw_height == INT32_MIN) return false;
    width_ = w;
    height_ = std::abs(raw_height);
    bottom_up_ = raw_height > 0;
    bits_ = bits;
    stride_ = ((static_cast<std::size_t>(width_) * bit_count_ + 31) / 32) * 4;

    const std::uint8_t* after = h + header_size;
    const std::size_t left = header.size - header_size;
    switch (bit_count_) {
        case 1:
        case 4:
        case 8: {
            if (compression != bi_rgb) return false;
            const int full = 1 << bit_count_;
            palette_size_ = colours_used && colours_used < static_cast<std::uint32_t>(full)
                                ? static_cast<int>(colours_used)
                                : full;
            if (left < static_cast<std::size_t>(palette_size_) * 4) return false;
            for (int i = 0; i < palette_size_; ++i) {
                const std::uint8_t* q = after + 4 * i;  // blue, green, red, reserved
                palette_[i] = 0xFF000000u | std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
            }
            return true;
        }
        case 16:
        case 32: {
            if (compression == bi_bitfields) {
                // Masks follow a 40-byte header, or stand inside a longer one.
                const std::uint8_t* m = header_size >= 52 ? h + 40 : after;
                if (header_size < 52 && left < 12) return false;
                for (int i = 0; i < 3; ++i) masks_[i] = get_le32(m + 4 * i);
            } else if (compression == bi_rgb) {
                if (bit_count_ == 16) {
                    masks_[0] = 0x7C00, masks_[1] = 0x03E0, masks_[2] = 0x001F;
                } else {
                    masks_[0] = 0xFF0000, masks_[1] = 0xFF00, masks_[2] = 0xFF;
                }
            } else {
                return false;
            }
            for (int i = 0; i < 3; ++i) {
                shifts_[i] = masks_[i] ? std::countr_zero(masks_[i]) : 0;
                widths_[i] = masks_[i] ? std::popcount(masks_[i]) : 0;
            }
            return true;
        }
        case 24:
            return compression == bi_rgb;
        default:
            return false;
    }
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
