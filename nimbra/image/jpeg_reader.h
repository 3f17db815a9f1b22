#pragma once

#include <cstddef>
#include <cstdint>

#include "nimbra/image/jpeg_io.h"
#include "nimbra/image/picture_header.h"

namespace tarvel_tech::nimbra::jpeg_detail {

// One JPEG decompression over a platform file, from its header to its last row, in the
// pixel format of the library's images: greyscale as 8-bit indices, colour and CMYK as
// blue-green-red bytes. Every step answers false on a failure, with the reason in the
// last-error text, and then the decompressor is gone; a platform error met inside libjpeg
// leaves the step as that exception once libjpeg's object is destroyed.
class jpeg_reader {
public:
    explicit jpeg_reader(platform::CFile* file);
    ~jpeg_reader();
    jpeg_reader(const jpeg_reader&) = delete;
    jpeg_reader& operator=(const jpeg_reader&) = delete;

    // Reads the markers up to the first scan and refuses a picture that its data cannot
    // carry. Reads nothing of the entropy-coded data.
    bool read_header();
    // Starts decompressing; checking only decodes the data at an eighth of the size, to learn
    // whether every row is present without building the picture.
    bool start(bool checking_only = false);
    // After read_header: whether the picture can be read as its planes of luma and chroma
    // (read_planes) and turned into pixels by ycc_band exactly as libjpeg would: one
    // sequential scan of YCbCr whose chroma is sampled 1:1, 2:1 or 2:2 and spans more than
    // two samples across.
    bool can_give_planes() const;
    // Starts decompressing into planes instead of pixels.
    bool start_planes();
    // The next iMCU row of every component into planes[c] (max_v_samp_factor * 8 rows of the
    // component's padded width); false also when the data ended before it.
    bool read_planes(JSAMPIMAGE planes);
    const jpeg_decompress_struct& info() const { return cinfo_; }
    // The next count rows, top first, each into its own row of row_bytes() bytes. False
    // also when the data ended before them.
    bool read_rows(std::uint8_t* const* rows, int count);
    // Reads through to the end of the picture's data.
    bool finish();

    // After read_header.
    const picture_header& header() const { return header_; }
    // After start: the bytes one decoded row takes.
    std::size_t row_bytes() const { return row_bytes_; }
    // After start: the rows decoded so far, and in all.
    int next_row() const { return static_cast<int>(cinfo_.output_scanline); }
    int output_height() const { return static_cast<int>(cinfo_.output_height); }

private:
    bool header_step();
    bool start_step(bool checking_only, bool planes);
    bool planes_step(JSAMPIMAGE planes);
    bool rows_step(std::uint8_t* const* rows, int count);
    bool finish_step();
    // Winds down after a step answered false, rethrowing a parked platform error.
    bool failed();
    // True when rows are missing; the reason is then in the last-error text.
    bool data_ended_early();
    // The bytes the file still holds for libjpeg, those in its buffer included.
    std::uint64_t bytes_left();

    jpeg_manager m_;
    jpeg_decompress_struct cinfo_{};
    bool created_ = false;
    picture_header header_;
    std::size_t row_bytes_ = 0;
    JSAMPARRAY cmyk_ = nullptr;
};

}  // namespace tarvel_tech::nimbra::jpeg_detail
