// A JPEG picture decoded from memory, as pictures and RRE frames are; and read again band by
// band as its planes of luma and chroma, as the export reads it, which must give the pixels
// of the whole decode whenever that succeeds.

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "nimbra/image/band_reader.h"
#include "nimbra/image/jpg_image.h"
#include "nimbra/image/ycc_band.h"
#include "platform/exceptions.h"
#include "platform/mem_file.h"

using tarvel_tech::nimbra::jpg_band_reader;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::ycc_band;

namespace {

// The bands, of rows that vary with the input, against the whole picture's rows.
void check_planes(const std::uint8_t* data, std::size_t size, const jpg_image& whole) {
    platform::CMemFile file(data, size);
    jpg_band_reader reader;
    reader.prefer_planes(true);
    if (!reader.open(&file)) std::abort();
    if (!reader.gives_planes()) return;
    const int width = whole.get_info().biWidth, height = whole.get_info().biHeight;
    const int rows = 1 + static_cast<int>(size % 37);
    ycc_band band;
    jpg_image pixels;
    for (int top = 0; top < height; top += rows) {
        if (!reader.read_ycc_band(band, rows) || !band.to_bgr(0, width, pixels)) std::abort();
        for (int y = 0; y < band.rows; ++y)
            if (std::memcmp(pixels.row(band.rows - 1 - y), whole.row(height - 1 - top - y), static_cast<std::size_t>(width) * 3))
                std::abort();
    }
    if (!reader.at_end()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    jpg_image picture;
    try {
        if (!picture.decode(data, size)) return 0;
    } catch (const platform::CException&) {
        return 0;
    }
    const auto& info = picture.get_info();
    if (info.biWidth <= 0 || info.biHeight <= 0 || (info.biBitCount != 8 && info.biBitCount != 24) || !*picture)
        std::abort();
    // Large pictures are left to the whole decode, to keep each run short.
    if (info.biBitCount == 24 && static_cast<std::int64_t>(info.biWidth) * info.biHeight <= 1 << 20)
        check_planes(data, size, picture);
    return 0;
}
