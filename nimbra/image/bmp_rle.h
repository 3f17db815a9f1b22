#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvel_tech::nimbra::bmp_detail {

// Decodes 8-bit (bits 8) or 4-bit (bits 4) run-length data into a bottom-up pixel area of
// height rows of line_bytes bytes: encoded and absolute runs, end of line, end of bitmap
// and delta moves. Nothing is written outside the width and height. False when the data
// ends before the end-of-bitmap mark and before every row was reached. Without pixels the
// data is only checked.
bool decode_rle(const std::uint8_t* data, std::size_t size, int bits, int width, int height,
                std::uint8_t* pixels, std::size_t line_bytes);

}  // namespace tarvel_tech::nimbra::bmp_detail
