// Writes the sample inputs of the demo.
//   plotwright-sample rre OUT.rre   a 3 x 2 frame layer over a small area near 37.6 E 55.7 N

#include <cstdio>
#include <string>
#include <vector>

#include "nimbra/layer/write_layer.h"
#include "platform/exceptions.h"

namespace {

using tarvel_tech::nimbra::write_layer;

int write_sample_rre(const std::string& path) {
    constexpr int columns = 3, rows = 2, frame_width = 256, frame_height = 192;
    write_layer out;
    auto& h = out.get_header();
    h.set_count_latitude_frames(columns);
    h.set_count_longitude_frames(rows);
    h.set_size_latitude_frame(frame_width);
    h.set_size_longitude_frame(frame_height);
    h.set_width_layer_image(columns * frame_width);
    h.set_height_layer_image(rows * frame_height);

    // One pixel is 1e-4 degrees, north up, the picture's top-left corner at 37.6 E 55.75 N.
    const double step = 1e-4, west = 37.6, north = 55.75;
    auto t = out.get_transform();
    const double direct[6] = {step, 0, west, 0, -step, north};
    const double inverse[6] = {1 / step, 0, -west / step, 0, -1 / step, north / step};
    for (int i = 0; i < 6; ++i) {
        t[i] = direct[i];
        t[6 + i] = inverse[i];
    }
    h.set_layer_type(write_layer::rre_layer_type);

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            // Frame bodies of different lengths, each filled with its own index.
            const int index = c + columns * r;
            std::vector<unsigned char> body(static_cast<std::size_t>(100 + 37 * index),
                                            static_cast<unsigned char>(index));
            if (!out.put_frame(body.data(), body.size())) {
                std::fprintf(stderr, "cannot create frame %d\n", index);
                return 2;
            }
        }
    }
    if (!out.is_valid()) {
        std::fprintf(stderr, "the sample layer is not valid\n");
        return 2;
    }
    try {
        if (!out.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 2;
        }
    } catch (const platform::CException& e) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), e.what());
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "rre") return write_sample_rre(argv[2]);
    std::fprintf(stderr, "usage: plotwright-sample rre OUT.rre\n");
    return 1;
}
