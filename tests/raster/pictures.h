#pragma once

#include <string>

#include "nimbra/image/jpg_image.h"

namespace raster_test {

// A 24-bit picture of smooth colour ramps, different at every place, so that JPEG keeps it
// closely and a frame put in the wrong place shows.
tarvel_tech::nimbra::jpg_image ramp_picture(int width, int height);
// The picture saved as a JPEG file at path (quality 95).
std::string save_jpeg(tarvel_tech::nimbra::jpg_image& picture, const std::string& path);

// The largest and the mean difference of the colour channels of the top-left width x height
// pixels of two pictures.
struct difference {
    int largest = 0;
    double mean = 0.0;
};
difference compare(const tarvel_tech::nimbra::image& a, const tarvel_tech::nimbra::image& b, int width, int height);

}  // namespace raster_test
