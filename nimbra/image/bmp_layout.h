#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "nimbra/image/__image.h"
#include "nimbra/image/picture_header.h"

namespace platform {
class CFile;
}

namespace tarvel_tech::nimbra::bmp_detail {

// "BM", file size, two reserved words, pixel offset.
inline constexpr std::size_t file_header_size = 14;

// Where the parts of a bitmap file lie and how its rows are laid out, read from its headers
// and checked against the bytes the file holds, before anything is allocated for pixels.
struct bmp_layout {
    BITMAPINFOHEADER info;  // height made positive
    bool core = false;      // the short 12-byte header: 3-byte palette entries
    bool top_down = false;
    __image::masks masks;
    std::uint32_t entries = 0;  // palette entries the file holds
    std::uint64_t palette_pos = 0;
    std::uint64_t pixel_pos = 0;
    // Rows: file_stride bytes each, the last one possibly without its padding (last_row
    // bytes); run-length data: data_size bytes.
    std::uint64_t file_stride = 0;
    std::uint64_t last_row = 0;
    std::uint64_t data_size = 0;

    int bits() const { return info.biBitCount; }
    bool run_length() const { return platform::dib_run_length(info); }
    // The header of the image the decoder creates from the file.
    picture_header header() const;
};

// All count bytes, or false.
bool read_exactly(platform::CFile* file, void* into, std::size_t count);

// Reads the headers from the file's current position. False for what the decoder refuses
// before reading pixels: an unknown header or compression, a size the file cannot hold.
bool read_layout(platform::CFile* file, bmp_layout& layout);

// The palette as 4-byte entries, (1 << bits) of them with those the file lacks zero.
bool read_palette(platform::CFile* file, const bmp_layout& layout, std::vector<RGBQUAD>& palette);

}  // namespace tarvel_tech::nimbra::bmp_detail
