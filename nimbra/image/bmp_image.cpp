#include "nimbra/image/bmp_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "nimbra/image/bmp_layout.h"
#include "nimbra/image/bmp_rle.h"
#include "platform/endian.h"
#include "platform/file.h"
#include "platform/mem_file.h"

namespace tarvel_tech::nimbra {
namespace {

using namespace platform::endian;

constexpr std::size_t file_header_size = 14;
constexpr std::uint32_t core_header_size = 12;
constexpr std::uint32_t largest_header_size = 124;
constexpr std::uint32_t compression_none = 0, compression_rle8 = 1, compression_rle4 = 2,
                        compression_bitfields = 3;
// Run-length data may describe at most this many pixel bytes per byte of data (a run of
// 255 pixels costs two bytes), with a floor so small pictures never meet the limit.
constexpr std::uint64_t rle_expansion = 256;
constexpr std::uint64_t rle_allowance = 16u << 20;
// 16- and 32-bit rows are converted in batches of about this many source bytes.
constexpr std::size_t batch_bytes = 1u << 20;

// Headers other programs write: the short core header, the 40-byte information header and
// its longer successors, whose first 40 bytes have the same layout.
bool known_header_size(std::uint32_t size) {
    return size == core_header_size || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == largest_header_size;
}

bool read_exactly(platform::CFile* file, void* into, std::size_t count) {
    return file->Read(into, count) == count;
}

struct bmp_header {
    BITMAPINFOHEADER info;
    std::uint32_t header_size = 0;
    __image::masks masks;
};

bool compression_fits(std::uint32_t compression, int bits) {
    switch (bits) {
        case 1: return compression == compression_none;
        case 4: return compression == compression_none || compression == compression_rle4;
        case 8: return compression == compression_none || compression == compression_rle8;
        case 16:
        case 32: return compression == compression_none || compression == compression_bitfields;
        case 24: return compression == compression_none;
        default: return false;
    }
}

}  // namespace

bmp_image::bmp_image(const std::uint8_t* bytes, std::size_t length) : image(bmp_type) {
    decode(bytes, length);
}

std::unique_ptr<image> bmp_image::clone() const { return std::make_unique<bmp_image>(); }

bool bmp_image::decode(platform::CFile* file, platform::CWnd*) {
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
    bmp_header h;
    h.header_size = get_le32(raw);
    if (!known_header_size(h.header_size)) return false;
    if (!read_exactly(file, raw + 4, h.header_size - 4)) return false;
    const bool core = h.header_size == core_header_size;
    if (core) {
        h.info.biWidth = get_le16(raw + 4);
        h.info.biHeight = get_le16(raw + 6);
        h.info.biPlanes = get_le16(raw + 8);
        h.info.biBitCount = get_le16(raw + 10);
    } else {
        h.info = load_bitmap_info(raw);
    }
    const int bits = h.info.biBitCount;
    const std::uint32_t compression = h.info.biCompression;
    if (!compression_fits(compression, bits)) return false;
    if (compression == compression_bitfields) {
        // The masks follow the 40-byte header, or stand inside the longer ones. Some
        // writers announce them after a 40-byte header but put the pixels right there:
        // then the plain layout holds.
        const bool room = pixel_offset == 0 || pixel_offset >= file_header_size + 40 + 12;
        if (h.header_size > 40 || room) {
            if (h.header_size == 40 && !read_exactly(file, raw + 40, 12)) return false;
            h.masks = {get_le32(raw + 40), get_le32(raw + 44), get_le32(raw + 48)};
        }
    }

    const std::int32_t width = h.info.biWidth;
    std::int32_t height = h.info.biHeight;
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) return false;
    const bool top_down = height < 0;
    if (top_down) height = -height;

    // The palette: what the header announces, never more than the depth can index, and
    // never reaching into the pixel data that the file header points at.
    const std::uint64_t palette_pos = file->GetPosition();
    const std::size_t entry_size = core ? 3 : 4;
    std::uint32_t entries = 0;
    if (bits <= 8) {
        entries = 1u << bits;
        if (!core && h.info.biClrUsed != 0) entries = std::min(entries, h.info.biClrUsed);
    }
    std::uint64_t pixel_pos = palette_pos + std::uint64_t{entries} * entry_size;
    if (pixel_offset != 0) {
        const std::uint64_t offset_pos = start + pixel_offset;
        if (offset_pos < palette_pos) return false;
        entries = static_cast<std::uint32_t>(std::min<std::uint64_t>(entries, (offset_pos - palette_pos) / entry_size));
        pixel_pos = offset_pos;
    }
    if (pixel_pos > file_length) return false;
    const std::uint64_t available = file_length - pixel_pos;

    // Check the pixel data against the file before allocating anything for it.
    const std::uint64_t file_stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    const std::uint64_t last_row = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
    const bool rle = compression == compression_rle8 || compression == compression_rle4;
    std::uint64_t data_size = 0;
    if (rle) {
        data_size = h.info.biSizeImage != 0 && h.info.biSizeImage <= available ? h.info.biSizeImage : available;
        const std::uint64_t area = file_stride * static_cast<std::uint64_t>(height);
        if (area > std::max(data_size * rle_expansion, rle_allowance)) return false;
    } else {
        // Divided rather than multiplied: the product of header values may not fit.
        if (height > 1 && file_stride > available / static_cast<std::uint64_t>(height - 1)) return false;
        data_size = file_stride * static_cast<std::uint64_t>(height - 1) + last_row;
        if (data_size > available) return false;
    }

    if (!create(width, height, bits, bmp_type)) return false;
    exinfo.xdpi = static_cast<std::int32_t>(std::floor(h.info.biXPelsPerMeter * 0.0254 + 0.5));
    exinfo.ydpi = static_cast<std::int32_t>(std::floor(h.info.biYPelsPerMeter * 0.0254 + 0.5));
    info.biXPelsPerMeter = h.info.biXPelsPerMeter;
    info.biYPelsPerMeter = h.info.biYPelsPerMeter;
    store_header();

    if (entries) {
        std::vector<std::uint8_t> table(entries * entry_size);
        if (!read_exactly(file, table.data(), table.size())) return false;
        std::uint8_t* out = block + bitmap_info_size;
        for (std::uint32_t i = 0; i < entries; ++i, out += 4) {
            const std::uint8_t* in = table.data() + i * entry_size;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = core ? 0 : in[3];
        }
    }
    file->Seek(static_cast<std::int64_t>(pixel_pos), platform::CFile::begin);

    if (rle) {
        std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[data_size]);
        if (!data || !read_exactly(file, data.get(), data_size)) return false;
        // Pixels that the runs skip show the first palette entry.
        clear();
        if (!bmp_detail::decode_rle(data.get(), data_size, bits, width, height, exinfo.bits, exinfo.line_bytes))
            return false;
    } else if (bits <= 8 || bits == 24) {
        // Same row layout in the file and in memory: one read. The last row's padding may
        // be missing from the file; create left it zero.
        if (!read_exactly(file, exinfo.bits, data_size)) return false;
    } else {
        const std::size_t stride = static_cast<std::size_t>(file_stride);
        const int batch_rows = static_cast<int>(std::max<std::size_t>(1, batch_bytes / stride));
        std::vector<std::uint8_t> batch(static_cast<std::size_t>(std::min(batch_rows, height)) * stride);
        for (int y = 0; y < height; y += batch_rows) {
            const int rows = std::min(batch_rows, height - y);
            const std::size_t want = y + rows == height ? stride * (rows - 1) + last_row : stride * rows;
            if (!read_exactly(file, batch.data(), want)) return false;
            for (int i = 0; i < rows; ++i) byte2rgb(bits, batch.data() + i * stride, y + i, h.masks);
        }
    }
    if (top_down) flip();
    return true;
}

bool bmp_image::encode(platform::CFile* file, platform::CWnd*) {
    if (!file || !block) return false;
    const std::size_t palette_bytes = std::size_t{info.biClrUsed} * 4;
    std::uint8_t file_header[file_header_size] = {'B', 'M'};
    put_le32(file_header + 2, static_cast<std::uint32_t>(file_header_size + size()));
    put_le32(file_header + 10, static_cast<std::uint32_t>(file_header_size + bitmap_info_size + palette_bytes));
    file->Write(file_header, file_header_size);
    store_header();
    file->Write(block, size());
    return true;
}

bool bmp_image::encode(std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& length, platform::CWnd* window) {
    if (!block) return false;
    const std::size_t total = file_header_size + size();
    std::unique_ptr<std::uint8_t[]> out(new (std::nothrow) std::uint8_t[total]);
    if (!out) return false;
    platform::CMemFile file(out.get(), total);
    if (!encode(&file, window)) return false;
    bytes = std::move(out);
    length = total;
    return true;
}

bool bmp_image::read_header(platform::CFile* file, picture_header& header) {
    bmp_detail::bmp_layout layout;
    if (!bmp_detail::read_layout(file, layout)) return false;
    if (layout.run_length()) {
        // Run-length data is only known to be whole once it has been walked.
        std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[layout.data_size]);
        file->Seek(static_cast<std::int64_t>(layout.pixel_pos), platform::CFile::begin);
        if (!data || !read_exactly(file, data.get(), layout.data_size)) return false;
        if (!bmp_detail::decode_rle(data.get(), layout.data_size, layout.bits(), layout.info.biWidth,
                                    layout.info.biHeight, nullptr, 0))
            return false;
    }
    header = layout.header();
    return true;
}

}  // namespace tarvel_tech::nimbra
