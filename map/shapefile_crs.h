#pragma once

#include <string>

#include "shapes/sf_geometry.h"

namespace georef {
class coordinate_system;
}

namespace model {

class CSFLayer;

// The coordinate system a shapefile is read in when its own .prj does not name one, or, when
// over_prj is set, whatever its .prj says (the operator chose it for this file).
struct crs_choice {
    std::string definition;  // empty: none
    bool over_prj = false;
};

// Whether a box can hold longitude and latitude in degrees.
bool fits_degrees(const CSFRect& box);

// Run once a shapefile's records are in the layer, before anything looks at its coordinates:
// a layer whose .prj (or the chosen system) names a system other than longitude and latitude
// on WGS 84 has every point transformed to longitude and latitude in one batch, its shapes'
// boxes and its bounds made anew from them. A layer that names no system is left as read, but
// when its coordinates cannot be degrees the operator is told how to name its system. The
// layer's m_crs says what was found and done. False when some of the points cannot be
// transformed (the operator has been told); the layer must then not be added.
bool place_in_lonlat(CSFLayer& layer, const std::string& path, const crs_choice& choice);

// Transforms every point of the layer's shapes and makes their boxes and the layer's bounds
// anew; answers the number of points that could not be transformed.
std::size_t transform_layer(CSFLayer& layer, const georef::coordinate_system& system);

}  // namespace model
