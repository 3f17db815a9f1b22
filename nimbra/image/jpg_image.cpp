#include "nimbra/image/jpg_image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "nimbra/image/jpeg_io.h"
#include "nimbra/image/jpeg_reader.h"
#include "platform/file.h"
#include "platform/mem_file.h"

namespace tarvel_tech::nimbra {
namespace {

// Scanlines travel in batches straight between libjpeg and the packed rows.
constexpr int batch_rows = 16;
constexpr const char* palette_refused = "JPEG can save only RGB or GreyScale images";

}  // namespace

// The work between setjmp and the last libjpeg call of encoding. libjpeg's error exit jumps
// back into it, so no object with a destructor may live in it.
struct jpg_image::codec {
    static bool encode(jpg_image& img, jpeg_detail::jpeg_manager& m, jpeg_compress_struct* cinfo) {
        if (setjmp(m.jump)) return false;
        jpeg_create_compress(cinfo);
        jpeg_detail::attach_destination(cinfo, m);
        const int width = img.info.biWidth, height = img.info.biHeight, bits = img.depth();
        const bool grey = bits <= 8;
        cinfo->image_width = static_cast<JDIMENSION>(width);
        cinfo->image_height = static_cast<JDIMENSION>(height);
        cinfo->input_components = grey ? 1 : 3;
        cinfo->in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
        jpeg_set_defaults(cinfo);
        jpeg_set_quality(cinfo, img.exinfo.quality, TRUE);
        cinfo->density_unit = 1;
        cinfo->X_density = static_cast<UINT16>(std::clamp(img.exinfo.xdpi, 0, 65535));
        cinfo->Y_density = static_cast<UINT16>(std::clamp(img.exinfo.ydpi, 0, 65535));
        jpeg_start_compress(cinfo, TRUE);

        JSAMPROW rows[batch_rows];
        if (bits == 8 || bits == 24) {
            while (cinfo->next_scanline < cinfo->image_height) {
                const int k = static_cast<int>(cinfo->next_scanline);
                const int n = std::min(batch_rows, height - k);
                for (int i = 0; i < n; ++i) rows[i] = img.row(height - 1 - k - i);
                jpeg_write_scanlines(cinfo, rows, static_cast<JDIMENSION>(n));
            }
        } else {
            // 1- and 4-bit grey ramps: an index is its own grey level.
            JSAMPARRAY line = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                        static_cast<JDIMENSION>(width), 1);
            while (cinfo->next_scanline < cinfo->image_height) {
                const int y = height - 1 - static_cast<int>(cinfo->next_scanline);
                for (int x = 0; x < width; ++x) line[0][x] = static_cast<JSAMPLE>(img.get_index(x, y));
                jpeg_write_scanlines(cinfo, line, 1);
            }
        }
        jpeg_finish_compress(cinfo);
        return true;
    }
};

jpg_image::jpg_image(const std::uint8_t* bytes, std::size_t length) : image(jpg_type) { decode(bytes, length); }

std::unique_ptr<image> jpg_image::clone() const { return std::make_unique<jpg_image>(); }

const char* jpg_image::get_last_error() { return jpeg_detail::last_error_text(); }

bool jpg_image::decode(platform::CFile* file, platform::CWnd*) {
    if (!file) return false;
    jpeg_detail::jpeg_reader reader(file);
    if (!reader.read_header() || !reader.start()) return false;
    const picture_header& h = reader.header();
    if (!create(h.width, h.height, h.bit_count, jpg_type)) {
        jpeg_detail::set_last_error("Insufficient memory");
        return false;
    }
    exinfo.xdpi = h.xdpi;
    exinfo.ydpi = h.ydpi;
    if (h.palette_entries) palette_.make_gray();

    // Scanlines travel in batches straight from libjpeg into the packed rows, top first.
    std::uint8_t* rows[batch_rows];
    for (int k = 0; k < h.height; k += batch_rows) {
        const int n = std::min(batch_rows, h.height - k);
        for (int i = 0; i < n; ++i) rows[i] = row(h.height - 1 - k - i);
        if (!reader.read_rows(rows, n)) return false;
    }
    return reader.finish();
}

bool jpg_image::read_header(platform::CFile* file, picture_header& header) {
    if (!file) return false;
    const std::uint64_t start = file->GetPosition();
    picture_header found;
    {
        jpeg_detail::jpeg_reader reader(file);
        if (!reader.read_header()) return false;
        found = reader.header();
    }
    // A file that ends with the end-of-image marker holds its data whole as far as a
    // header can tell; anything else is decoded, small, to see whether rows are missing.
    std::uint8_t tail[2] = {};
    const std::uint64_t length = file->GetLength();
    if (length < start + 2 || file->Seek(static_cast<std::int64_t>(length - 2), platform::CFile::begin) != length - 2 ||
        file->Read(tail, 2) != 2 || tail[0] != 0xFF || tail[1] != JPEG_EOI) {
        file->Seek(static_cast<std::int64_t>(start), platform::CFile::begin);
        jpeg_detail::jpeg_reader reader(file);
        if (!reader.read_header() || !reader.start(true)) return false;
        std::vector<std::uint8_t> line(reader.row_bytes());
        std::uint8_t* rows[1] = {line.data()};
        while (reader.next_row() < reader.output_height())
            if (!reader.read_rows(rows, 1)) return false;
        if (!reader.finish()) return false;
    }
    header = found;
    return true;
}

bool jpg_image::encode(platform::CFile* file, platform::CWnd*) {
    if (!file || !block) return false;
    if (palette_.is_indexed() && !palette_.is_gray_scale()) {
        jpeg_detail::set_last_error(palette_refused);
        return false;
    }
    jpeg_detail::jpeg_manager m(file);
    jpeg_compress_struct cinfo{};
    jpeg_detail::attach_errors(reinterpret_cast<j_common_ptr>(&cinfo), m);
    const bool done = codec::encode(*this, m, &cinfo);
    jpeg_destroy_compress(&cinfo);
    if (m.pending) std::rethrow_exception(m.pending);
    return done;
}

bool jpg_image::encode(std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& length, platform::CWnd* window) {
    // A growable file: the JPEG of a small picture can be longer than its bitmap.
    platform::CMemFile file(std::max<std::size_t>(4096, size() / 8));
    if (!encode(&file, window)) return false;
    const std::size_t written = static_cast<std::size_t>(file.GetLength());
    std::unique_ptr<std::uint8_t[]> out(new (std::nothrow) std::uint8_t[written]);
    if (!out) return false;
    std::memcpy(out.get(), file.GetBuffer(), written);
    bytes = std::move(out);
    length = written;
    return true;
}

}  // namespace tarvel_tech::nimbra
