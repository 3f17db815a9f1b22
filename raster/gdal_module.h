#pragma once

// Between the reader of GDAL's pictures and the module that holds GDAL: the module is loaded
// only when a picture needs it (raster/gdal_picture.cpp), and hands over these entry points.

#include <memory>
#include <string>

#include "raster/gdal_picture.h"

namespace model {

// Raised whenever the entry points change, so that a stale module is refused, not called.
constexpr int kGdalEntryPointsVersion = 1;

struct gdal_entry_points {
    int version;
    std::unique_ptr<tarvel_tech::nimbra::image> (*read_pixels)(const std::string& path, std::string* cause);
    bool (*read_size)(const std::string& path, int& width, int& height);
    bool (*read_place)(const std::string& path, picture_place& place);
};

// The name of the module's one exported function, returning its entry points (as const void*,
// the form platform::load_module calls).
constexpr const char* kGdalEntryPointsSymbol = "plotwright_gdal_entry_points";

// Loads the module at the path (each call anew) and returns its entry points; none, cause
// saying why (the loader's own words), when it cannot be loaded or is not the module.
const gdal_entry_points* load_gdal_module(const std::string& path, std::string* cause);

// Whether a side file that can carry georeferencing for the picture (a world file, a MapInfo
// .tab, an .aux.xml) lies beside it, under the names GDAL looks for in any case.
bool has_georeferencing_side_file(const std::string& path);

}  // namespace model
