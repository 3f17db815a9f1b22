#include "nimbra/image/band_reader.h"

#include <algorithm>

#include "nimbra/image/jpeg_reader.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/image/ycc_band.h"

namespace tarvel_tech::nimbra {
namespace {

// Rows go to libjpeg in batches, straight into the band.
constexpr int batch_rows = 16;

}  // namespace

band_reader::~band_reader() = default;

bool band_reader::fail(const std::string& reason) {
    failed_ = true;
    error_ = reason;
    return false;
}

bool band_reader::read_band(image& band, int rows) {
    if (failed_ || at_end() || rows <= 0) return false;
    const int count = std::min(rows, header_.height - row_);
    // A band of the same shape is filled again rather than allocated anew.
    const BITMAPINFOHEADER& b = band.get_info();
    if (!*band || b.biWidth != header_.width || b.biHeight != count || b.biBitCount != header_.bit_count ||
        band.get_exinfo().image_type != header_.image_type) {
        if (!band.create(header_.width, count, header_.bit_count, header_.image_type))
            return fail("Insufficient memory");
    }
    if (!palette_.empty()) band.get_palette().replace(palette_.data(), static_cast<int>(palette_.size()));
    band.get_exinfo().xdpi = header_.xdpi;
    band.get_exinfo().ydpi = header_.ydpi;
    if (!read_rows(band, count)) return false;
    row_ += count;
    return true;
}

// Where libjpeg decodes each plane's rows: straight into the band being read, but for rows
// decoded ahead of it or wanted again by the next band (a chroma row of context each side),
// which are held here, and rows past the picture's edge, which go to scratch.
struct jpg_band_reader::plane_rows {
    struct plane {
        int width = 0, height = 0;  // samples of the picture in this plane
        std::size_t stride = 0;     // libjpeg writes whole blocks: the padded width
        int imcu_rows = 0;          // rows of the plane in an iMCU row
        int decoded = 0;            // plane rows decoded so far
        int first = 0;              // the plane row held first
        std::vector<std::uint8_t> held;     // rows [first, decoded) at the stride
        std::vector<std::uint8_t> scratch;  // one row
        std::vector<JSAMPROW> rows;         // where the next iMCU row goes
        // The band being read: its rows [begin, end) go to band; rows from keep on are held.
        std::uint8_t* band = nullptr;
        int begin = 0, end = 0, keep = 0;

        std::uint8_t* band_row(int r) const { return band + static_cast<std::size_t>(r - begin) * stride; }
        std::uint8_t* held_row(int r) { return held.data() + static_cast<std::size_t>(r - first) * stride; }
        bool in_band(int r) const { return r >= begin && r < end; }

        // Makes `to` ready for rows [b, e), rows from k on to be held, and fills it with what is held.
        void start_band(int b, int e, int k, std::vector<std::uint8_t>& to) {
            to.resize(static_cast<std::size_t>(e - b) * stride + ycc_band::slack);
            band = to.data();
            begin = b;
            end = e;
            keep = k;
            for (int r = std::max(first, b); r < std::min(decoded, e); ++r) std::copy_n(held_row(r), stride, band_row(r));
            // Rows above k are not wanted again; the next row held is k, decoded or not.
            const int dropped = std::clamp(k, first, decoded) - first;
            held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(dropped) * stride));
            first = std::max(k, first);
        }

        // Points rows at where the next iMCU row's rows go.
        void aim() {
            const int count = std::clamp(height - decoded, 0, imcu_rows);
            int kept = 0;
            for (int j = 0; j < count; ++j) kept += decoded + j >= keep;
            held.resize(held.size() + static_cast<std::size_t>(kept) * stride);
            for (int j = 0; j < imcu_rows; ++j) {
                const int r = decoded + j;
                rows[static_cast<std::size_t>(j)] = j >= count ? scratch.data() : r >= keep ? held_row(r) : in_band(r) ? band_row(r) : scratch.data();
            }
        }

        // After the iMCU row: held rows the band shows are copied into it.
        void landed() {
            const int count = std::clamp(height - decoded, 0, imcu_rows);
            for (int r = std::max(decoded, keep); r < decoded + count; ++r)
                if (in_band(r)) std::copy_n(held_row(r), stride, band_row(r));
            decoded += count;
        }
    };
    plane planes[3];
    int h_factor = 1, v_factor = 1;

    explicit plane_rows(const jpeg_decompress_struct& info) {
        h_factor = info.max_h_samp_factor;
        v_factor = info.max_v_samp_factor;
        for (int c = 0; c < 3; ++c) {
            const jpeg_component_info& comp = info.comp_info[c];
            plane& p = planes[c];
            p.width = static_cast<int>(comp.downsampled_width);
            p.height = static_cast<int>(comp.downsampled_height);
            p.stride = static_cast<std::size_t>(comp.width_in_blocks) * DCTSIZE;
            p.imcu_rows = comp.v_samp_factor * DCTSIZE;
            p.scratch.resize(p.stride);
            p.rows.resize(static_cast<std::size_t>(p.imcu_rows));
        }
    }

    // Decodes one more iMCU row.
    bool decode(jpeg_detail::jpeg_reader& reader) {
        for (plane& p : planes) p.aim();
        JSAMPARRAY arrays[3] = {planes[0].rows.data(), planes[1].rows.data(), planes[2].rows.data()};
        if (!reader.read_planes(arrays)) return false;
        for (plane& p : planes) p.landed();
        return true;
    }
};

jpg_band_reader::jpg_band_reader() = default;
jpg_band_reader::~jpg_band_reader() = default;

bool jpg_band_reader::open(platform::CFile* file) {
    row_ = 0;
    reader_.reset();
    planes_.reset();
    if (!file) return fail("no file");
    reader_ = std::make_unique<jpeg_detail::jpeg_reader>(file);
    if (!reader_->read_header()) return fail(jpeg_detail::last_error_text());
    if (prefer_planes_ && reader_->can_give_planes()) {
        if (!reader_->start_planes()) return fail(jpeg_detail::last_error_text());
        planes_ = std::make_unique<plane_rows>(reader_->info());
    } else if (!reader_->start()) {
        return fail(jpeg_detail::last_error_text());
    }
    header_ = reader_->header();
    palette_.clear();
    if (header_.palette_entries) {
        // The grey ramp the decoder gives.
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            palette_.push_back(RGBQUAD{v, v, v, 0});
        }
    }
    failed_ = false;
    error_.clear();
    return true;
}

void jpg_band_reader::prepare_ycc_band(ycc_band& band, int rows) const {
    if (!planes_ || rows <= 0) return;
    // A band's chroma rows: its own and one of context each side.
    const int chroma = rows / planes_->v_factor + 3;
    band.luma.assign(static_cast<std::size_t>(rows) * planes_->planes[0].stride + ycc_band::slack, 0);
    band.cb.assign(static_cast<std::size_t>(chroma) * planes_->planes[1].stride + ycc_band::slack, 0);
    band.cr.assign(band.cb.size(), 0);
}

bool jpg_band_reader::read_ycc_band(ycc_band& band, int rows) {
    if (!planes_ || failed_ || at_end() || rows <= 0) return false;
    const int count = std::min(rows, header_.height - row_);
    if (!next_planes(band, count)) return false;
    row_ += count;
    return true;
}

bool jpg_band_reader::next_planes(ycc_band& band, int count) {
    plane_rows& p = *planes_;
    band.top = row_;
    band.rows = count;
    band.width = header_.width;
    band.h_factor = p.h_factor;
    band.v_factor = p.v_factor;
    band.chroma_width = p.planes[1].width;
    band.chroma_height = p.planes[1].height;
    band.luma_stride = p.planes[0].stride;
    band.chroma_stride = p.planes[1].stride;
    int chroma_begin = 0, chroma_end = 0;
    band.chroma_rows_for(row_, row_ + count, chroma_begin, chroma_end);
    band.chroma_first = chroma_begin;
    band.chroma_rows = chroma_end - chroma_begin;
    // What the next band needs stays.
    int next_begin = chroma_end, next_end = chroma_end;
    if (row_ + count < header_.height) band.chroma_rows_for(row_ + count, row_ + count + 1, next_begin, next_end);
    p.planes[0].start_band(row_, row_ + count, row_ + count, band.luma);
    p.planes[1].start_band(chroma_begin, chroma_end, next_begin, band.cb);
    p.planes[2].start_band(chroma_begin, chroma_end, next_begin, band.cr);
    while (p.planes[0].decoded < row_ + count || p.planes[1].decoded < chroma_end)
        if (!p.decode(*reader_)) return fail(jpeg_detail::last_error_text());
    if (row_ + count == header_.height && !reader_->finish()) return fail(jpeg_detail::last_error_text());
    return true;
}

bool jpg_band_reader::read_rows(image& band, int count) {
    if (planes_) {
        ycc_band planes;
        jpg_image pixels;
        if (!next_planes(planes, count)) return false;
        if (!planes.to_bgr(0, header_.width, pixels)) return fail("Insufficient memory");
        const std::size_t bytes = static_cast<std::size_t>(header_.width) * 3;
        for (int r = 0; r < count; ++r) std::copy(pixels.row(r), pixels.row(r) + bytes, band.row(r));
        return true;
    }
    std::uint8_t* rows[batch_rows];
    for (int k = 0; k < count; k += batch_rows) {
        const int n = std::min(batch_rows, count - k);
        for (int i = 0; i < n; ++i) rows[i] = band.row(count - 1 - k - i);
        if (!reader_->read_rows(rows, n)) return fail(jpeg_detail::last_error_text());
    }
    if (row_ + count == header_.height && !reader_->finish()) return fail(jpeg_detail::last_error_text());
    return true;
}

}  // namespace tarvel_tech::nimbra
