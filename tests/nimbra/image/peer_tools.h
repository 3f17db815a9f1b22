#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nimbra/image/__image.h"

namespace image_test {

// Pixels top row first, 1 (grey) or 3 (red, green, blue) bytes each.
struct raster {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> bytes;

    const std::uint8_t* at(int x, int y) const {
        return bytes.data() + (static_cast<std::size_t>(y) * width + x) * channels;
    }
};

// Runs a program found on PATH and answers its standard output; the test fails when it is
// missing or does not succeed (exit code 2, "warnings", is success when warnings_ok).
std::string run_tool(const std::string& name, const std::vector<std::string>& args, bool warnings_ok = false);

raster parse_pnm(const std::string& bytes);
void write_ppm(const std::string& path, const raster& picture);
// What ImageMagick reads from a file, as 8-bit RGB.
raster imagemagick_pixels(const std::string& path);
// What djpeg decodes from a JPEG file (grey or RGB).
raster djpeg_pixels(const std::string& path, const std::vector<std::string>& options = {});

// An image's colours top row first, as RGB.
raster pixels_of(const tarvel_tech::nimbra::__image& img);
// A picture with structure (gradients, grid lines, a disc), never noise.
raster structured_picture(int width, int height);
// Fills a 24-bit image with a raster.
void fill_image(tarvel_tech::nimbra::__image& img, const raster& picture);

// The largest difference of one channel between two rasters of the same size.
int max_difference(const raster& a, const raster& b);

}  // namespace image_test
