#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "nimbra/layer/write_layer.h"

namespace rre_test {

// The 2 columns x 3 rows layer with bodies of 10, 20, ... 60 bytes, each filled with its
// frame number plus one, and a north-up transform.
std::unique_ptr<tarvel_tech::nimbra::write_layer> six_frame_writer();

struct header_fields {
    std::int32_t layer_type = 2001;
    double min_latitude = 0, max_latitude = 0, min_longitude = 0, max_longitude = 0;
    double transform[12] = {};
    std::int32_t width = 0, height = 0, rows = 0, columns = 0, frame_height = 0, frame_width = 0;
};

// A layer laid out byte by byte from the format's table, independent of the writer.
std::vector<std::uint8_t> layout_bytes(const header_fields& h,
                                       const std::vector<std::vector<std::uint8_t>>& bodies);

header_fields six_frame_fields();
std::vector<std::vector<std::uint8_t>> six_frame_bodies();

}  // namespace rre_test
