#pragma once

#include <memory>
#include <string>
#include <vector>

#include "georef/pt.h"

namespace tarvel_tech::nimbra {
class image;
}

namespace model {

// Pictures GDAL reads beside the library's own codecs: the pixels of PNG and TIFF files, and
// the georeferencing of every picture a map takes (GeoTIFF tags, a world file, an .aux.xml
// or a .prj beside the picture). JPEG and BMP pixels stay the library's.

// Whether the file name (.png, .tif, .tiff in any case) asks for GDAL's pixels.
bool is_gdal_picture(const std::string& name);

// The picture's pixels as a 24-bit picture: colours as they are, grey repeated, a palette
// spread, alpha left out. None, cause saying why, for a file GDAL cannot read, samples of
// more than 8 bits, or more pixels than its bytes can hold.
std::unique_ptr<tarvel_tech::nimbra::image> read_gdal_picture(const std::string& path, std::string* cause = nullptr);

// The picture's size without its pixels; false when GDAL cannot open it.
bool read_gdal_picture_size(const std::string& path, int& width, int& height);

// Where the picture lies as its georeferencing says: whole pixels (0, 0 the centre of the
// upper-left one) at its corners and centre, and their places in the picture's coordinate
// system.
struct picture_place {
    int width = 0;
    int height = 0;
    std::vector<georef::CPt> plane;
    std::vector<georef::CPt> ground;
    // The coordinate system as WKT; empty when neither the picture nor a .prj names one.
    std::string crs;
};

// False when the picture carries no georeferencing (or GDAL cannot open it).
bool read_picture_place(const std::string& path, picture_place& place);

}  // namespace model
