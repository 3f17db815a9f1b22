#include "nimbra/image/bmp_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/endian.h"
#include "platform/file.h"

namespace tarvel_tech::nimbra::bmp_detail {
namespace {

using namespace platform::endian;

constexpr std::uint32_t core_header_size = 12;
constexpr std::uint32_t largest_header_size = 124;
// Run-length data may describe at most this many pixel bytes per byte of data (a run of
// 255 pixels costs two bytes), with a floor so small pictures never meet the limit.
constexpr std::uint64_t rle_expansion = 256;
constexpr std::uint64_t rle_allowance = 16u << 20;

// Headers other programs write: the short core header, the 40-byte information header and
// its longer successors, whose first 40 bytes have the same layout.
bool known_header_size(std::uint32_t size) {
    return size == core_header_size || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == largest_header_size;
}

std::int32_t dpi_of(std::int32_t pels_per_meter) {
    return static_cast<std::int32_t>(std::floor(pels_per_meter * 0.0254 + 0.5));
}

}  // namespace

bool read_exactly(platform::CFile* file, void* into, std::size_t count) { return file->Read(into, count) == count; }

picture_header bmp_layout::header() const {
    picture_header h;
    h.width = info.biWidth;
    h.height = info.biHeight;
    h.bit_count = static_cast<std::uint16_t>(bits() <= 8 ? bits() : 24);
    h.palette_entries = bits() <= 8 ? 1u << bits() : 0;
    h.xdpi = dpi_of(info.biXPelsPerMeter);
    h.ydpi = dpi_of(info.biYPelsPerMeter);
    h.image_type = __image::bmp_type;
    return h;
}

bool read_layout(platform::CFile* file, bmp_layout& out) {
    if (!file) return false;
    const std::uint64_t start = file->GetPosition();
    const std::uint64_t file_length = file->GetLength();

    std::uint8_t file_header[file_header_size];
    const std::size_t got = file->Read(file_header, file_header_size);
    if (got == 0) return false;
    std::uint32_t pixel_offset = 0;
    if (got == file_header_size && file_header[0] == 'B' && file_header[1] == 'M')
        pixel_offset = get_le32(file_header + 10);
    else
        file->Seek(static_cast<std::int64_t>(start), platform::CFile::begin);  // no file header

    std::uint8_t raw[largest_header_size];
    if (!read_exactly(file, raw, 4)) return false;
    const std::uint32_t header_size = get_le32(raw);
    if (!known_header_size(header_size)) return false;
    if (!read_exactly(file, raw + 4, header_size - 4)) return false;
    bmp_layout l;
    l.core = header_size == core_header_size;
    if (l.core) {
        l.info.biWidth = get_le16(raw + 4);
        l.info.biHeight = get_le16(raw + 6);
        l.info.biPlanes = get_le16(raw + 8);
        l.info.biBitCount = get_le16(raw + 10);
    } else {
        l.info = load_bitmap_info(raw);
    }
    const int bits = l.bits();
    if (!platform::dib_compression_fits(l.info.biCompression, bits)) return false;
    if (l.info.biCompression == platform::BI_BITFIELDS) {
        // The masks follow the 40-byte header, or stand inside the longer ones. Some
        // writers announce them after a 40-byte header but put the pixels right there:
        // then the plain layout holds.
        const std::size_t at = platform::dib_masks_offset(header_size);
        const bool room = pixel_offset == 0 || pixel_offset >= file_header_size + at + 12;
        if (at < header_size || room) {
            if (at == header_size && !read_exactly(file, raw + at, 12)) return false;
            l.masks = {get_le32(raw + at), get_le32(raw + at + 4), get_le32(raw + at + 8)};
        }
    }

    if (!platform::dib_has_size(l.info)) return false;
    const std::int32_t width = l.info.biWidth;
    const std::int32_t height = platform::dib_rows(l.info);
    l.top_down = platform::dib_top_down(l.info);
    l.info.biHeight = height;

    l.palette_pos = file->GetPosition();
    const std::size_t entry_size = l.core ? 3 : 4;
    l.entries = platform::dib_palette_entries(l.info);  // the core header counts no colours
    l.pixel_pos = l.palette_pos + std::uint64_t{l.entries} * entry_size;
    if (pixel_offset != 0) {
        const std::uint64_t offset_pos = start + pixel_offset;
        if (offset_pos < l.palette_pos) return false;
        l.entries = static_cast<std::uint32_t>(std::min<std::uint64_t>(l.entries, (offset_pos - l.palette_pos) / entry_size));
        l.pixel_pos = offset_pos;
    }
    if (l.pixel_pos > file_length) return false;
    const std::uint64_t available = file_length - l.pixel_pos;

    l.file_stride = platform::dib_stride(width, bits);
    l.last_row = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
    if (l.run_length()) {
        l.data_size = l.info.biSizeImage != 0 && l.info.biSizeImage <= available ? l.info.biSizeImage : available;
        const std::uint64_t area = l.file_stride * static_cast<std::uint64_t>(height);
        if (area > std::max(l.data_size * rle_expansion, rle_allowance)) return false;
    } else {
        // Divided rather than multiplied: the product of header values may not fit.
        if (height > 1 && l.file_stride > available / static_cast<std::uint64_t>(height - 1)) return false;
        l.data_size = l.file_stride * static_cast<std::uint64_t>(height - 1) + l.last_row;
        if (l.data_size > available) return false;
    }
    // The image the decoder creates must be possible at all: its pixel bytes fit 32 bits.
    const std::uint64_t line_bytes = platform::dib_stride(width, bits <= 8 ? bits : 24);
    if (line_bytes * static_cast<std::uint64_t>(height) > std::numeric_limits<std::uint32_t>::max()) return false;
    out = l;
    return true;
}

bool read_palette(platform::CFile* file, const bmp_layout& layout, std::vector<RGBQUAD>& palette) {
    palette.assign(layout.bits() <= 8 ? std::size_t{1} << layout.bits() : 0, RGBQUAD{});
    if (!layout.entries) return true;
    const std::size_t entry_size = layout.core ? 3 : 4;
    std::vector<std::uint8_t> table(layout.entries * entry_size);
    file->Seek(static_cast<std::int64_t>(layout.palette_pos), platform::CFile::begin);
    if (!read_exactly(file, table.data(), table.size())) return false;
    for (std::uint32_t i = 0; i < layout.entries; ++i) {
        const std::uint8_t* in = table.data() + i * entry_size;
        palette[i] = RGBQUAD{in[0], in[1], in[2], layout.core ? std::uint8_t{0} : in[3]};
    }
    return true;
}

}  // namespace tarvel_tech::nimbra::bmp_detail
