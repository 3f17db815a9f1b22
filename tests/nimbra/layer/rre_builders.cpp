#include "tests/nimbra/layer/rre_builders.h"

#include "tests/support/files.h"

namespace rre_test {

using test_support::append_le32;
using test_support::append_le_double;
using test_support::append_zeros;

header_fields six_frame_fields() {
    header_fields h;
    h.min_latitude = 55.0;
    h.max_latitude = 56.0;
    h.min_longitude = 37.0;
    h.max_longitude = 38.5;
    const double t[12] = {0.001, 0, 10, 0, -0.001, 50, 1000, 0, -10000, 0, -1000, 50000};
    for (int i = 0; i < 12; ++i) h.transform[i] = t[i];
    h.width = 240;
    h.height = 480;
    h.rows = 3;
    h.columns = 2;
    h.frame_height = 160;
    h.frame_width = 120;
    return h;
}

std::vector<std::vector<std::uint8_t>> six_frame_bodies() {
    std::vector<std::vector<std::uint8_t>> bodies;
    for (int i = 0; i < 6; ++i)
        bodies.emplace_back(static_cast<std::size_t>(10 * (i + 1)), static_cast<std::uint8_t>(i + 1));
    return bodies;
}

std::unique_ptr<tarvel_tech::nimbra::write_layer> six_frame_writer() {
    auto w = std::make_unique<tarvel_tech::nimbra::write_layer>();
    const header_fields f = six_frame_fields();
    auto& h = w->get_header();
    h.set_count_latitude_frames(f.columns);
    h.set_count_longitude_frames(f.rows);
    h.set_size_latitude_frame(f.frame_width);
    h.set_size_longitude_frame(f.frame_height);
    h.set_width_layer_image(f.width);
    h.set_height_layer_image(f.height);
    h.set_min_latitude(f.min_latitude);
    h.set_max_latitude(f.max_latitude);
    h.set_min_longitude(f.min_longitude);
    h.set_max_longitude(f.max_longitude);
    auto t = w->get_transform();
    for (int i = 0; i < 12; ++i) t[i] = f.transform[i];
    h.set_layer_type(2001);
    for (const auto& body : six_frame_bodies()) w->put_frame(body.data(), body.size());
    return w;
}

std::vector<std::uint8_t> layout_bytes(const header_fields& h,
                                       const std::vector<std::vector<std::uint8_t>>& bodies) {
    std::vector<std::uint8_t> out;
    append_le32(out, static_cast<std::uint32_t>(h.layer_type));
    append_zeros(out, 20);
    append_le_double(out, h.min_latitude);
    append_le_double(out, h.max_latitude);
    append_le_double(out, h.min_longitude);
    append_le_double(out, h.max_longitude);
    append_zeros(out, 16);
    for (double t : h.transform) append_le_double(out, t);
    append_zeros(out, 80);
    append_le32(out, static_cast<std::uint32_t>(h.width));
    append_le32(out, static_cast<std::uint32_t>(h.height));
    append_zeros(out, 4);
    append_le32(out, static_cast<std::uint32_t>(h.rows));
    append_le32(out, static_cast<std::uint32_t>(h.columns));
    append_le32(out, static_cast<std::uint32_t>(h.frame_height));
    append_le32(out, static_cast<std::uint32_t>(h.frame_width));
    std::uint32_t offset = 276 + 8 * static_cast<std::uint32_t>(bodies.size());
    for (const auto& body : bodies) {
        append_le32(out, offset);
        append_le32(out, static_cast<std::uint32_t>(body.size()));
        offset += static_cast<std::uint32_t>(body.size());
    }
    for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace rre_test
