#include "nimbra/image/jpg_image.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "nimbra/image/jpeg_io.h"
#include "platform/file.h"
#include "platform/mem_file.h"

namespace tarvel_tech::nimbra {
namespace {

// Scanlines travel in batches straight between libjpeg and the packed rows.
constexpr int batch_rows = 16;
constexpr const char* palette_refused = "JPEG can save only RGB or GreyScale images";

}  // namespace

// The work between setjmp and the last libjpeg call. libjpeg's error exit jumps back into
// these functions, so no object with a destructor may live in them.
struct jpg_image::codec {
    static bool decode(jpg_image& img, jpeg_detail::jpeg_manager& m, jpeg_decompress_struct* cinfo) {
        if (setjmp(m.jump)) return false;
        jpeg_create_decompress(cinfo);
        jpeg_detail::attach_source(cinfo, m);
        jpeg_read_header(cinfo, TRUE);
        // Colour arrives in the blue-green-red order of the rows, so nothing is swapped.
        if (cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(cinfo);

        const int components = cinfo->output_components;
        if (components != 1 && components != 3 && components != 4) ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
        const int width = static_cast<int>(cinfo->output_width);
        const int height = static_cast<int>(cinfo->output_height);
        if (!img.create(width, height, components * 8, jpg_type)) {
            jpeg_detail::set_last_error("Insufficient memory");
            return false;
        }
        if (cinfo->density_unit == 2) {
            img.exinfo.xdpi = static_cast<std::int32_t>(cinfo->X_density * 2.54);
            img.exinfo.ydpi = static_cast<std::int32_t>(cinfo->Y_density * 2.54);
        } else {
            img.exinfo.xdpi = cinfo->X_density;
            img.exinfo.ydpi = cinfo->Y_density;
        }
        if (components == 1) img.palette_.make_gray();

        JSAMPROW rows[batch_rows];
        if (components == 4) {
            // CMYK as libjpeg delivers it (inverted, as Adobe writes it) through one row.
            JSAMPARRAY cmyk = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                        static_cast<JDIMENSION>(width) * 4, 1);
            while (cinfo->output_scanline < cinfo->output_height) {
                const int k = static_cast<int>(cinfo->output_scanline);
                if (jpeg_read_scanlines(cinfo, cmyk, 1) != 1) break;
                const JSAMPLE* in = cmyk[0];
                std::uint8_t* out = img.row(height - 1 - k);
                for (int x = 0; x < width; ++x, in += 4, out += 3) {
                    out[0] = static_cast<std::uint8_t>(in[2] * in[3] / 255);
                    out[1] = static_cast<std::uint8_t>(in[1] * in[3] / 255);
                    out[2] = static_cast<std::uint8_t>(in[0] * in[3] / 255);
                }
            }
        } else {
            while (cinfo->output_scanline < cinfo->output_height) {
                const int k = static_cast<int>(cinfo->output_scanline);
                const int n = std::min(batch_rows, height - k);
                for (int i = 0; i < n; ++i) rows[i] = img.row(height - 1 - k - i);
                if (jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(n)) == 0) break;
            }
        }
        jpeg_finish_decompress(cinfo);
        return true;
    }

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
    jpeg_detail::jpeg_manager m(file);
    jpeg_decompress_struct cinfo{};
    jpeg_detail::attach_errors(reinterpret_cast<j_common_ptr>(&cinfo), m);
    const bool done = codec::decode(*this, m, &cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (m.pending) std::rethrow_exception(m.pending);
    return done;
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
