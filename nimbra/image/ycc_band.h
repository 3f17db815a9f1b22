#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "nimbra/export.h"
#include "nimbra/image/image.h"

namespace tarvel_tech::nimbra {

// A band of rows of a colour JPEG as its data holds them, before the chroma is smoothed up to
// full size and the pixels turned into blue-green-red: luma for every pixel, the blue and red
// differences at the picture's sampling, with a chroma row of context above and below where
// the picture has one. Turning part of a band into pixels is left to whichever thread needs
// them, and gives the bytes libjpeg's own decoding gives.
class NIMBRA_API ycc_band {
public:
    int top = 0;    // picture row of the band's first row
    int rows = 0;   // rows of the band
    int width = 0;  // of the picture
    int h_factor = 1, v_factor = 1;           // luma samples to a chroma sample across, down
    int chroma_width = 0, chroma_height = 0;  // of the whole picture
    int chroma_first = 0, chroma_rows = 0;    // the picture chroma rows held
    std::size_t luma_stride = 0, chroma_stride = 0;  // bytes from a row to the next, at least the width
    std::vector<std::uint8_t> luma;           // rows of the band, top first, then slack bytes
    std::vector<std::uint8_t> cb, cr;         // the chroma rows held, then slack bytes
    // What every plane holds beyond its last row, so that whole vectors may be read.
    static constexpr std::size_t slack = 64;

    // The picture chroma rows a band of luma rows [first, end) is made from, context included.
    void chroma_rows_for(int first, int end, int& chroma_begin, int& chroma_end) const;

    // Columns [left, left + count) of every row as blue-green-red pixels into out, made an
    // image of count x rows (its memory row 0 the band's bottom row, as in every image).
    // False when the columns lie outside the picture, the band does not hold what its rows
    // are made from (or is sampled otherwise than 1:1, 2:1 or 2:2) or out cannot be made.
    bool to_bgr(int left, int count, image& out) const;

    // Whether to_bgr may use the processor's vector instructions (it does by default); the
    // answer is whether it will. Both ways give the same bytes.
    static bool use_vectors(bool use);
};

}  // namespace tarvel_tech::nimbra
