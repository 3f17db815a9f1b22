#include "nimbra/image/band_reader.h"

#include <algorithm>

#include "nimbra/image/jpeg_reader.h"

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

jpg_band_reader::jpg_band_reader() = default;
jpg_band_reader::~jpg_band_reader() = default;

bool jpg_band_reader::open(platform::CFile* file) {
    row_ = 0;
    reader_.reset();
    if (!file) return fail("no file");
    reader_ = std::make_unique<jpeg_detail::jpeg_reader>(file);
    if (!reader_->read_header() || !reader_->start()) return fail(jpeg_detail::last_error_text());
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

bool jpg_band_reader::read_rows(image& band, int count) {
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
