#include "nimbra/image/bmp_image.h"

#include <algorithm>
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
using bmp_detail::file_header_size;
using bmp_detail::read_exactly;

// 16- and 32-bit rows are converted in batches of about this many source bytes.
constexpr std::size_t batch_bytes = 1u << 20;

}  // namespace

bmp_image::bmp_image(const std::uint8_t* bytes, std::size_t length) : image(bmp_type) {
    decode(bytes, length);
}

std::unique_ptr<image> bmp_image::clone() const { return std::make_unique<bmp_image>(); }

bool bmp_image::decode(platform::CFile* file, platform::CWnd*) {
    // Everything is checked against the file before anything is allocated for pixels.
    bmp_detail::bmp_layout layout;
    if (!bmp_detail::read_layout(file, layout)) return false;
    const int bits = layout.bits();
    const int width = layout.info.biWidth, height = layout.info.biHeight;
    if (!create(width, height, bits, bmp_type)) return false;
    const picture_header resolution = layout.header();
    exinfo.xdpi = resolution.xdpi;
    exinfo.ydpi = resolution.ydpi;
    info.biXPelsPerMeter = layout.info.biXPelsPerMeter;
    info.biYPelsPerMeter = layout.info.biYPelsPerMeter;
    store_header();

    std::vector<RGBQUAD> entries;
    if (!bmp_detail::read_palette(file, layout, entries)) return false;
    get_palette().replace(entries.data(), static_cast<int>(entries.size()));
    file->Seek(static_cast<std::int64_t>(layout.pixel_pos), platform::CFile::begin);

    const std::uint64_t data_size = layout.data_size;
    if (layout.run_length()) {
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
        const std::size_t stride = static_cast<std::size_t>(layout.file_stride);
        const int batch_rows = static_cast<int>(std::max<std::size_t>(1, batch_bytes / stride));
        std::vector<std::uint8_t> batch(static_cast<std::size_t>(std::min(batch_rows, height)) * stride);
        for (int y = 0; y < height; y += batch_rows) {
            const int rows = std::min(batch_rows, height - y);
            const std::size_t want = y + rows == height ? stride * (rows - 1) + layout.last_row : stride * rows;
            if (!read_exactly(file, batch.data(), want)) return false;
            for (int i = 0; i < rows; ++i) byte2rgb(bits, batch.data() + i * stride, y + i, layout.masks);
        }
    }
    if (layout.top_down) flip();
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
