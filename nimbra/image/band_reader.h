#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "nimbra/export.h"
#include "nimbra/image/image.h"
#include "nimbra/image/picture_header.h"

namespace platform {
class CFile;
}

namespace tarvel_tech::nimbra {

namespace jpeg_detail {
class jpeg_reader;
}
class ycc_band;

// Reads a picture top to bottom in bands of rows, holding no more of it than one band, so
// that a picture larger than memory can be cut into frames. A band is an image of the
// picture's width, depth, palette and resolution whose rows are exactly those the
// whole-picture decoder gives, so a rectangle excised from a band equals, byte for byte,
// the same rectangle excised from the decoded picture.
//
// The file is read as bands are asked for: it must stay open, and nobody else may move its
// position, while the reader is used. File errors leave as the platform's exceptions.
class NIMBRA_API band_reader {
public:
    band_reader() = default;
    band_reader(const band_reader&) = delete;
    band_reader& operator=(const band_reader&) = delete;
    virtual ~band_reader();

    // Reads the picture's header at the file's current position; false, with the reason in
    // get_error, for a picture the codec would refuse before its pixels.
    virtual bool open(platform::CFile* file) = 0;

    const picture_header& get_header() const { return header_; }
    // Picture rows delivered so far: the next band starts at this row from the top.
    int get_row() const { return row_; }
    // Every row delivered (false while not open, and after a failure).
    bool at_end() const { return !failed_ && row_ >= header_.height; }
    const std::string& get_error() const { return error_; }

    // Makes band the next min(rows, rows left) picture rows (band memory row 0 is the band's
    // bottom row, as in every image). False at the end, and on a failure, after which
    // nothing more is read and get_error says why.
    bool read_band(image& band, int rows);

protected:
    // Fills memory rows count - 1 down to 0 of a prepared band with the next count rows.
    virtual bool read_rows(image& band, int count) = 0;
    bool fail(const std::string& reason);

    picture_header header_;
    std::vector<RGBQUAD> palette_;  // header_.palette_entries entries
    int row_ = 0;
    bool failed_ = true;  // until open succeeds
    std::string error_;
};

// JPEG decoded scanline by scanline as bands are read, never whole. libjpeg keeps a few
// rows of its own; only a progressive or multi-scan file makes it hold every coefficient of
// the picture (about as much as the decoded picture).
//
// A colour picture may also be read as its planes of luma and chroma (ycc_band), leaving the
// smoothing of the chroma and the turn into pixels to whoever needs the pixels: that part of
// the decoding can then run on other threads than the reading.
class NIMBRA_API jpg_band_reader : public band_reader {
public:
    jpg_band_reader();
    ~jpg_band_reader() override;

    // Before open: read the picture as planes when it can be.
    void prefer_planes(bool prefer) { prefer_planes_ = prefer; }
    bool open(platform::CFile* file) override;
    // After open: whether bands come as planes (read_ycc_band); read_band still serves.
    bool gives_planes() const { return planes_ != nullptr; }
    // As read_band, the band made the next rows as planes.
    bool read_ycc_band(ycc_band& band, int rows);
    // Gives the band's planes room for bands of rows rows, their memory touched, so that
    // reading into it costs no first touches.
    void prepare_ycc_band(ycc_band& band, int rows) const;

protected:
    bool read_rows(image& band, int count) override;

private:
    struct plane_rows;
    bool next_planes(ycc_band& band, int count);

    std::unique_ptr<jpeg_detail::jpeg_reader> reader_;
    bool prefer_planes_ = false;
    std::unique_ptr<plane_rows> planes_;
};

// Bitmap rows read band by band from the file: bottom-up files by seeking to each band,
// top-down ones in order. Run-length files are decoded whole when opened, since their rows
// can only be found by walking the data from the start.
class NIMBRA_API bmp_band_reader : public band_reader {
public:
    bmp_band_reader();
    ~bmp_band_reader() override;
    bool open(platform::CFile* file) override;

protected:
    bool read_rows(image& band, int count) override;

private:
    struct state;
    std::unique_ptr<state> state_;
};

}  // namespace tarvel_tech::nimbra
