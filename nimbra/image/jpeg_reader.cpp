#include "nimbra/image/jpeg_reader.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "nimbra/image/__image.h"
#include "platform/file.h"

namespace tarvel_tech::nimbra::jpeg_detail {
namespace {

// Arithmetic coding may legally stop its data early and let the decoder supply zeros, so a
// flat picture costs next to nothing: up to this many blocks are taken on trust, beyond
// it each byte must stand for no more than arithmetic_blocks_per_byte blocks.
constexpr std::uint64_t arithmetic_free_blocks = std::uint64_t{1} << 19;
constexpr std::uint64_t arithmetic_blocks_per_byte = 128;

}  // namespace

jpeg_reader::jpeg_reader(platform::CFile* file) : m_(file, read_transfer_size) {
    attach_errors(reinterpret_cast<j_common_ptr>(&cinfo_), m_);
}

jpeg_reader::~jpeg_reader() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
}

bool jpeg_reader::read_header() { return !created_ && (header_step() || failed()); }

bool jpeg_reader::start(bool checking_only) { return created_ && (start_step(checking_only, false) || failed()); }

bool jpeg_reader::can_give_planes() const {
#ifdef LIBJPEG_TURBO_VERSION_NUMBER
    if (!created_ || cinfo_.jpeg_color_space != JCS_YCbCr || cinfo_.num_components != 3 || cinfo_.progressive_mode ||
        cinfo_.arith_code || cinfo_.CCIR601_sampling || !cinfo_.do_fancy_upsampling)
        return false;
    const jpeg_component_info* c = cinfo_.comp_info;
    for (int i = 1; i < 3; ++i)
        if (c[i].h_samp_factor != 1 || c[i].v_samp_factor != 1) return false;
    const int h = c[0].h_samp_factor, v = c[0].v_samp_factor;
    if (!((h == 1 && v == 1) || (h == 2 && v == 1) || (h == 2 && v == 2))) return false;
    // Narrower chroma is replicated rather than smoothed.
    return (cinfo_.image_width + h - 1) / h > 2;
#else
    // Other libraries smooth chroma in their own ways.
    return false;
#endif
}

bool jpeg_reader::start_planes() { return created_ && can_give_planes() && (start_step(false, true) || failed()); }

bool jpeg_reader::read_planes(JSAMPIMAGE planes) { return created_ && (planes_step(planes) || failed()); }

bool jpeg_reader::read_rows(std::uint8_t* const* rows, int count) {
    return created_ && (rows_step(rows, count) || failed());
}

bool jpeg_reader::finish() { return created_ && (finish_step() || failed()); }

bool jpeg_reader::failed() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
    created_ = false;
    if (m_.pending) {
        const std::exception_ptr error = m_.pending;
        m_.pending = nullptr;
        std::rethrow_exception(error);
    }
    return false;
}

std::uint64_t jpeg_reader::bytes_left() {
    std::uint64_t left = cinfo_.src->bytes_in_buffer;
    // Nothing with a destructor may be alive when libjpeg's error exit jumps, so a platform
    // error is parked and the jump happens outside the handler.
    try {
        const std::uint64_t length = m_.file->GetLength();
        const std::uint64_t position = m_.file->GetPosition();
        if (length > position) left += length - position;
    } catch (...) {
        m_.pending = std::current_exception();
    }
    if (m_.pending) ERREXIT(&cinfo_, JERR_FILE_READ);
    return left;
}

// The steps below hold no object with a destructor: libjpeg's error exit jumps back into
// them.

bool jpeg_reader::header_step() {
    if (setjmp(m_.jump)) return false;
    created_ = true;
    jpeg_create_decompress(&cinfo_);
    attach_source(&cinfo_, m_);
    jpeg_read_header(&cinfo_, TRUE);
    // Colour arrives in the blue-green-red order of the rows, so nothing is swapped.
    if (cinfo_.out_color_space == JCS_RGB) cinfo_.out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo_);
    const int components = cinfo_.output_components;
    if (components != 1 && components != 3 && components != 4) ERREXIT(&cinfo_, JERR_CONVERSION_NOTIMPL);

    // A file cannot justify more pixels than its entropy-coded bytes can carry. Every 8 x 8
    // block of every component costs at least a one-bit DC code and a one-bit end of block
    // in a sequential scan, and at least a one-bit DC code in the first scan of a
    // progressive file. Checked before anything is allocated for the picture.
    std::uint64_t blocks = 0;
    for (int c = 0; c < cinfo_.num_components; ++c) {
        const jpeg_component_info& comp = cinfo_.comp_info[c];
        blocks += std::uint64_t{comp.width_in_blocks} * comp.height_in_blocks;
    }
    const std::uint64_t left = bytes_left();
    std::uint64_t carried = 0;
    if (cinfo_.arith_code)
        carried = std::max(arithmetic_free_blocks, left * arithmetic_blocks_per_byte);
    else
        carried = left * 8 / (cinfo_.progressive_mode ? 1 : 2);
    if (blocks > carried) {
        const std::uint64_t height = cinfo_.image_height;
        char message[last_error_size];
        std::snprintf(message, sizeof message, "Premature end of JPEG file: at most %llu of %llu rows present",
                      static_cast<unsigned long long>(height * carried / blocks),
                      static_cast<unsigned long long>(height));
        set_last_error(message);
        return false;
    }

    header_.width = static_cast<std::int32_t>(cinfo_.output_width);
    header_.height = static_cast<std::int32_t>(cinfo_.output_height);
    header_.bit_count = components == 1 ? 8 : 24;
    header_.palette_entries = components == 1 ? 256 : 0;
    if (cinfo_.density_unit == 2) {
        header_.xdpi = static_cast<std::int32_t>(cinfo_.X_density * 2.54);
        header_.ydpi = static_cast<std::int32_t>(cinfo_.Y_density * 2.54);
    } else {
        header_.xdpi = cinfo_.X_density;
        header_.ydpi = cinfo_.Y_density;
    }
    header_.image_type = __image::jpg_type;
    return true;
}

bool jpeg_reader::start_step(bool checking_only, bool planes) {
    if (setjmp(m_.jump)) return false;
    if (planes) {
        cinfo_.raw_data_out = TRUE;
        cinfo_.out_color_space = JCS_YCbCr;
    }
    if (checking_only) {
        // The entropy decoding is the same at any size; an eighth spares the rest.
        cinfo_.scale_num = 1;
        cinfo_.scale_denom = 8;
        cinfo_.do_fancy_upsampling = FALSE;
        cinfo_.do_block_smoothing = FALSE;
    }
    jpeg_start_decompress(&cinfo_);
    const int components = cinfo_.output_components;
    row_bytes_ = static_cast<std::size_t>(cinfo_.output_width) * (components == 1 ? 1 : 3);
    if (components == 4)
        cmyk_ = (*cinfo_.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo_), JPOOL_IMAGE,
                                            cinfo_.output_width * 4, 1);
    // A file of several scans has been read whole by now.
    return !data_ended_early();
}

bool jpeg_reader::rows_step(std::uint8_t* const* rows, int count) {
    if (setjmp(m_.jump)) return false;
    int done = 0;
    while (done < count) {
        if (cinfo_.output_scanline >= cinfo_.output_height) ERREXIT(&cinfo_, JERR_TOO_LITTLE_DATA);
        if (cmyk_) {
            // CMYK as libjpeg delivers it (inverted, as Adobe writes it), one row at a time.
            if (jpeg_read_scanlines(&cinfo_, cmyk_, 1) != 1) ERREXIT(&cinfo_, JERR_TOO_LITTLE_DATA);
            const JSAMPLE* in = cmyk_[0];
            std::uint8_t* out = rows[done];
            for (JDIMENSION x = 0; x < cinfo_.output_width; ++x, in += 4, out += 3) {
                out[0] = static_cast<std::uint8_t>(in[2] * in[3] / 255);
                out[1] = static_cast<std::uint8_t>(in[1] * in[3] / 255);
                out[2] = static_cast<std::uint8_t>(in[0] * in[3] / 255);
            }
            ++done;
        } else {
            const JDIMENSION got = jpeg_read_scanlines(&cinfo_, const_cast<JSAMPARRAY>(rows + done),
                                                       static_cast<JDIMENSION>(count - done));
            if (got == 0) ERREXIT(&cinfo_, JERR_TOO_LITTLE_DATA);
            done += static_cast<int>(got);
        }
        if (data_ended_early()) return false;
    }
    return true;
}

bool jpeg_reader::planes_step(JSAMPIMAGE planes) {
    if (setjmp(m_.jump)) return false;
    if (cinfo_.output_scanline >= cinfo_.output_height) ERREXIT(&cinfo_, JERR_TOO_LITTLE_DATA);
    const JDIMENSION lines = static_cast<JDIMENSION>(cinfo_.max_v_samp_factor * DCTSIZE);
    if (jpeg_read_raw_data(&cinfo_, planes, lines) != lines) ERREXIT(&cinfo_, JERR_TOO_LITTLE_DATA);
    return !data_ended_early();
}

bool jpeg_reader::finish_step() {
    if (setjmp(m_.jump)) return false;
    jpeg_finish_decompress(&cinfo_);
    return !data_ended_early();
}

bool jpeg_reader::data_ended_early() {
    int scan = 0;
    JDIMENSION imcu_row = 0;
    if (cinfo_.arith_code) {
        // Arithmetic data may end early by design: only a scan cut before its last iMCU row
        // is short.
        if (!m_.source_dry || m_.dry_imcu_row >= cinfo_.total_iMCU_rows) return false;
        scan = m_.dry_scan;
        imcu_row = m_.dry_imcu_row;
    } else {
        // A file that lacks no more than its end marker still holds every row; the bits of
        // a cut scan are missed by the entropy decoder, whether the file ends there or an
        // end marker was put after the cut.
        if (!m_.data_missing) return false;
        scan = m_.missing_scan;
        imcu_row = m_.missing_imcu_row;
    }
    const std::uint64_t height = cinfo_.image_height;
    const std::uint64_t present =
        std::min<std::uint64_t>(height, std::uint64_t{imcu_row} * cinfo_.max_v_samp_factor * DCTSIZE);
    char message[last_error_size];
    if (cinfo_.progressive_mode || scan > 1)
        std::snprintf(message, sizeof message, "Premature end of JPEG file in scan %d: %llu of %llu rows present",
                      scan, static_cast<unsigned long long>(present), static_cast<unsigned long long>(height));
    else
        std::snprintf(message, sizeof message, "Premature end of JPEG file: %llu of %llu rows present",
                      static_cast<unsigned long long>(present), static_cast<unsigned long long>(height));
    set_last_error(message);
    return true;
}

}  // namespace tarvel_tech::nimbra::jpeg_detail
