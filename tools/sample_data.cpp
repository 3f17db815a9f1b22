// Writes the sample inputs of the demo.
//   plotwright-sample rre OUT.rre   a 3 x 2 frame layer over a small area near 37.6 E 55.7 N,
//                                   its frames JPEG pieces of one generated picture
//   plotwright-sample shapefiles DIR   districts, river, roads and towns (with a table)
//   plotwright-sample big-lines OUT.shp COUNT VERTICES   many random polylines
//   plotwright-sample icons DIR   an icon folder of 8-bit bitmaps

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "nimbra/image/jpg_image.h"
#include "nimbra/layer/write_layer.h"
#include "platform/exceptions.h"
#include "platform/mem_file.h"
#include "tools/sample_shapes.h"

namespace {

using tarvel_tech::nimbra::image;
using tarvel_tech::nimbra::jpg_image;
using tarvel_tech::nimbra::RGBQUAD;
using tarvel_tech::nimbra::write_layer;

// A picture a map might hold: a colour gradient, a river-like band, a disc and a grid of
// lines every 64 pixels, so that misplaced or flipped frames show at once.
void paint_sample(jpg_image& picture, int width, int height) {
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.row(height - 1 - y);  // picture row y, from the top
        for (int x = 0; x < width; ++x) {
            auto red = static_cast<std::uint8_t>(60 + 180 * x / width);
            auto green = static_cast<std::uint8_t>(200 - 120 * y / height);
            auto blue = static_cast<std::uint8_t>(90);
            const double river = y - (height / 2 + 60 * std::sin(x / 70.0));
            if (std::abs(river) < 14) red = 40, green = 90, blue = 200;
            const int dx = x - width * 3 / 4, dy = y - height / 3;
            if (dx * dx + dy * dy < 60 * 60) red = 230, green = 220, blue = 60;
            if (x % 64 == 0 || y % 64 == 0) red = green = blue = 30;
            std::uint8_t* p = row + 3 * x;
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
}

int write_sample_rre(const std::string& path) {
    constexpr int columns = 3, rows = 2, frame_width = 256, frame_height = 192;
    constexpr int width = columns * frame_width, height = rows * frame_height;
    write_layer out;
    auto& h = out.get_header();
    h.set_frame_grid(columns, rows, frame_width, frame_height);

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

    jpg_image picture;
    if (!picture.create(width, height, 24, jpg_image::jpg_type)) {
        std::fprintf(stderr, "cannot create the sample picture\n");
        return 2;
    }
    paint_sample(picture, width, height);

    // Frames in index order: rows from the top, columns from the left, each JPEG-encoded.
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int index = c + columns * r;
            std::unique_ptr<image> piece = picture.excise(c * frame_width, r * frame_height,
                                                          (c + 1) * frame_width, (r + 1) * frame_height);
            platform::CMemFile body(1024);
            if (!piece || !piece->encode(&body) ||
                !out.put_frame(body.GetBuffer(), static_cast<std::size_t>(body.GetLength()))) {
                std::fprintf(stderr, "cannot make frame %d: %s\n", index, jpg_image::get_last_error());
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
    const std::string what = argc > 1 ? argv[1] : "";
    if (argc == 3 && what == "rre") return write_sample_rre(argv[2]);
    if (argc == 3 && what == "shapefiles") return write_sample_shapefiles(argv[2]);
    if (argc == 3 && what == "icons") return write_sample_icons(argv[2]);
    if (argc == 5 && what == "big-lines") return write_big_lines(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr,
                 "usage: plotwright-sample rre OUT.rre\n"
                 "       plotwright-sample shapefiles DIR\n"
                 "       plotwright-sample big-lines OUT.shp COUNT VERTICES\n"
                 "       plotwright-sample icons DIR\n");
    return 1;
}
