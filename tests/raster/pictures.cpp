#include "tests/raster/pictures.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace raster_test {

using tarvel_tech::nimbra::RGBQUAD;

tarvel_tech::nimbra::jpg_image ramp_picture(int width, int height) {
    tarvel_tech::nimbra::jpg_image picture;
    EXPECT_TRUE(picture.create(width, height, 24, tarvel_tech::nimbra::image::jpg_type));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            RGBQUAD c;
            c.rgbRed = static_cast<std::uint8_t>(40 + 180 * x / width);
            c.rgbGreen = static_cast<std::uint8_t>(30 + 200 * y / height);
            c.rgbBlue = static_cast<std::uint8_t>(128 + 100 * (x - y) / (width + height));
            picture.set_color(x, y, c);
        }
    return picture;
}

std::string save_jpeg(tarvel_tech::nimbra::jpg_image& picture, const std::string& path) {
    picture.get_exinfo().quality = 95;
    EXPECT_TRUE(picture.save(path));
    return path;
}

difference compare(const tarvel_tech::nimbra::image& a, const tarvel_tech::nimbra::image& b, int width, int height) {
    difference d;
    double sum = 0.0;
    // Memory rows count from the bottom: row r from the top is row height - 1 - r.
    const int ha = a.get_info().biHeight, hb = b.get_info().biHeight;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RGBQUAD p = a.get_color(x, ha - 1 - y), q = b.get_color(x, hb - 1 - y);
            for (int diff : {p.rgbRed - q.rgbRed, p.rgbGreen - q.rgbGreen, p.rgbBlue - q.rgbBlue}) {
                d.largest = std::max(d.largest, std::abs(diff));
                sum += std::abs(diff);
            }
        }
    d.mean = sum / (3.0 * width * height);
    return d;
}

}  // namespace raster_test
