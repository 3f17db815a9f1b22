#include "nimbra/image/__image.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace tarvel_tech::nimbra {
namespace {

constexpr std::int32_t default_dpi = 72;
// 72 dots per inch in pixels per metre, rounded down.
constexpr std::int32_t default_pels_per_meter = 2835;
constexpr std::uint8_t default_quality = 75;

std::int32_t pels_per_meter(int dpi) {
    return static_cast<std::int32_t>(std::floor(dpi * 39.37007874015748 + 0.5));
}

// One channel of a bit-field pixel widened or narrowed to 8 bits. For the usual layouts
// (5-5-5, 5-6-5, 8-8-8) this is the plain shift the format implies, without replication.
std::uint8_t channel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    std::uint32_t v = (value & mask) >> shift;
    if (bits < 8)
        v <<= 8 - bits;
    else if (bits > 8)
        v >>= bits - 8;
    return static_cast<std::uint8_t>(v);
}

}  // namespace

__image::__image(image_type type) : palette_(this) { init_image(type); }

__image::__image(const __image& other, bool) : platform::CObject(other), palette_(this) {
    init_image(static_cast<image_type>(other.exinfo.image_type));
}

__image::~__image() { destroy(); }

void __image::init_image(image_type type) {
    info = BITMAPINFOHEADER{};
    info.biSize = bitmap_info_size;
    info.biXPelsPerMeter = default_pels_per_meter;
    info.biYPelsPerMeter = default_pels_per_meter;
    exinfo = tag_image_info{};
    exinfo.image_type = type;
    exinfo.quality = default_quality;
    exinfo.xdpi = default_dpi;
    exinfo.ydpi = default_dpi;
}

std::uint8_t* __image::create(int width, int height, int bits_per_pixel, int type) {
    destroy();
    if (width <= 0 || height <= 0) return nullptr;
    const int bits = bits_per_pixel <= 1 ? 1 : bits_per_pixel <= 4 ? 4 : bits_per_pixel <= 8 ? 8 : 24;
    const std::uint32_t colours = bits == 24 ? 0u : 1u << bits;
    const std::uint64_t line_bytes = platform::dib_stride(width, bits);
    const std::uint64_t pixel_bytes = line_bytes * static_cast<std::uint64_t>(height);
    // The header records the pixel bytes in 32 bits; nothing larger is a picture.
    if (pixel_bytes > std::numeric_limits<std::uint32_t>::max()) return nullptr;
    const std::uint64_t total = bitmap_info_size + colours * 4 + pixel_bytes;
    if (total > std::numeric_limits<std::size_t>::max()) return nullptr;
    auto* fresh = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(total)];
    if (!fresh) return nullptr;

    block = fresh;
    info.biSize = bitmap_info_size;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<std::uint16_t>(bits);
    info.biCompression = 0;
    info.biSizeImage = static_cast<std::uint32_t>(pixel_bytes);
    info.biClrUsed = colours;
    info.biClrImportant = 0;
    exinfo.line_bytes = static_cast<std::uint32_t>(line_bytes);
    exinfo.image_type = type;
    exinfo.borrowed = 0;
    std::memset(block + bitmap_info_size, 0, colours * 4);
    exinfo.bits = block + bitmap_info_size + colours * 4;
    store_header();
    // The row padding is no pixel, but it is written to files: keep it zero rather than
    // whatever the allocator left there.
    const std::uint64_t used = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
    if (used < line_bytes)
        for (int y = 0; y < height; ++y)
            std::memset(row(y) + used, 0, static_cast<std::size_t>(line_bytes - used));
    return block;
}

void __image::destroy() {
    if (block && !exinfo.borrowed) delete[] block;
    block = nullptr;
    exinfo.bits = nullptr;
}

std::unique_ptr<std::uint8_t[]> __image::detach() {
    std::unique_ptr<std::uint8_t[]> owned(exinfo.borrowed ? nullptr : block);
    block = nullptr;
    exinfo.bits = nullptr;
    return owned;
}

void __image::clear() {
    if (block) std::memset(exinfo.bits, 0, info.biSizeImage);
}

std::size_t __image::size() const {
    return bitmap_info_size + std::size_t{info.biClrUsed} * 4 + info.biSizeImage;
}

void __image::store_header() {
    if (block) store_bitmap_info(info, block);
}

std::uint8_t* __image::row(int y) const {
    if (!block || y < 0 || y >= info.biHeight) return nullptr;
    return exinfo.bits + static_cast<std::size_t>(y) * exinfo.line_bytes;
}

bool __image::is_inside(int x, int y) const {
    // Negative coordinates are outside too: they would address bytes before the row.
    return x >= 0 && y >= 0 && x < info.biWidth && y < info.biHeight;
}

int __image::get_index(int x, int y) const {
    const bool inside = is_inside(x, y);
    if (inside && block && depth() <= 8) {
        const std::uint8_t* r = row(y);
        switch (depth()) {
            case 8: return r[x];
            case 4: return (x & 1) ? r[x >> 1] & 0x0F : r[x >> 1] >> 4;
            default: return (r[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }
    if (!inside && exinfo.background_index != -1) return exinfo.background_index;
    return 0;
}

void __image::set_index(int x, int y, int index) {
    if (!block || depth() > 8 || !is_inside(x, y)) return;
    std::uint8_t* r = row(y);
    switch (depth()) {
        case 8: r[x] = static_cast<std::uint8_t>(index); break;
        case 4: {
            std::uint8_t& b = r[x >> 1];
            const auto nibble = static_cast<std::uint8_t>(index & 0x0F);
            b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | nibble)
                        : static_cast<std::uint8_t>((b & 0x0F) | (nibble << 4));
            break;
        }
        default: {
            const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
            std::uint8_t& b = r[x >> 3];
            b = (index & 1) ? static_cast<std::uint8_t>(b | bit) : static_cast<std::uint8_t>(b & ~bit);
            break;
        }
    }
}

RGBQUAD __image::get_color(int x, int y) const {
    if (block && is_inside(x, y)) {
        if (depth() <= 8) return palette_.get_color(get_index(x, y));
        const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
        return RGBQUAD{p[0], p[1], p[2], exinfo.background_color.rgbReserved};
    }
    if (exinfo.background_index != -1 && depth() < 24) return palette_.get_color(exinfo.background_index);
    return exinfo.background_color;
}

int __image::get_gray(int x, int y) const {
    const RGBQUAD c = get_color(x, y);
    return (30 * c.rgbRed + 59 * c.rgbGreen + 11 * c.rgbBlue) / 100;
}

void __image::set_color(int x, int y, RGBQUAD colour) {
    if (!block || !is_inside(x, y)) return;
    if (depth() <= 8) {
        set_index(x, y, palette_.nearest_index(colour));
        return;
    }
    std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
    p[0] = colour.rgbBlue;
    p[1] = colour.rgbGreen;
    p[2] = colour.rgbRed;
}

void __image::set_color(int x, int y, COLORREF colour) {
    set_color(x, y, RGBQUAD{platform::GetBValue(colour), platform::GetGValue(colour), platform::GetRValue(colour), 0});
}

void __image::set_xdpi(int dpi) {
    exinfo.xdpi = dpi;
    info.biXPelsPerMeter = pels_per_meter(dpi);
    store_header();
}

void __image::set_ydpi(int dpi) {
    exinfo.ydpi = dpi;
    info.biYPelsPerMeter = pels_per_meter(dpi);
    store_header();
}

void __image::rgb2bgr(std::uint8_t* r, std::size_t length) const {
    if (!r || depth() != 24) return;
    const std::size_t n = std::min<std::size_t>(length, exinfo.line_bytes);
    // Only whole pixels: the padding after the last one is no pixel.
    for (std::size_t i = 0; i + 2 < n; i += 3) std::swap(r[i], r[i + 2]);
}

bool __image::byte2rgb(int bit_count, const std::uint8_t* source, int y, const masks& m) {
    std::uint8_t* out = row(y);
    if (!out || !source || depth() != 24) return false;
    const int width = info.biWidth;
    if (bit_count == 16) {
        masks use = m;
        if (!use.red && !use.green && !use.blue) use = {0x7C00, 0x03E0, 0x001F};
        for (int x = 0; x < width; ++x, source += 2, out += 3) {
            const std::uint32_t v = platform::endian::get_le16(source);
            out[0] = channel(v, use.blue);
            out[1] = channel(v, use.green);
            out[2] = channel(v, use.red);
        }
        return true;
    }
    if (bit_count == 32) {
        const bool plain = (!m.red && !m.green && !m.blue) ||
                           (m.red == 0x00FF0000 && m.green == 0x0000FF00 && m.blue == 0x000000FF);
        if (plain) {
            for (int x = 0; x < width; ++x, source += 4, out += 3) {
                out[0] = source[0];
                out[1] = source[1];
                out[2] = source[2];
            }
            return true;
        }
        for (int x = 0; x < width; ++x, source += 4, out += 3) {
            const std::uint32_t v = platform::endian::get_le32(source);
            out[0] = channel(v, m.blue);
            out[1] = channel(v, m.green);
            out[2] = channel(v, m.red);
        }
        return true;
    }
    return false;
}

void __image::take_over(__image& other) {
    if (&other == this) return;
    destroy();
    const std::int32_t own_type = exinfo.image_type;
    info = other.info;
    exinfo = other.exinfo;
    exinfo.image_type = own_type;
    block = other.block;
    other.block = nullptr;
    other.init_image(static_cast<image_type>(other.exinfo.image_type));
}

}  // namespace tarvel_tech::nimbra
