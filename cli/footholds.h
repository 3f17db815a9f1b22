#pragma once

#include <array>
#include <string>
#include <vector>

#include "cli/command.h"
#include "formats/control_points.h"
#include "georef/pt.h"

namespace georef {
class CTrRSS;
}
namespace model {
class CSFLayerRRE;
}

namespace cli {

// The footholds a command is given: --gcp X,Y,LON,LAT, repeated (pixel column and row,
// longitude and latitude in degrees), or --points FILE.points, a control point file of
// QGIS's georeferencer. Empty when neither is given; usage_error for both, or for a --gcp
// that is not four numbers; input_error for a file that cannot be read whole.
std::vector<formats::control_point> read_footholds(const arguments& args);

// The pixel and ground positions of the points in use, in order.
void used_pairs(const std::vector<formats::control_point>& points, std::vector<georef::CPt>& plane,
                std::vector<georef::CPt>& ground);

// A control point file read whole; input_error naming the line at fault otherwise.
formats::control_point_list read_points_file(const std::string& path);

// Places the points as the layer's footholds (a layer's footholds are whole pixels: a
// point between pixels goes to the nearest) with their ground positions and use;
// input_error when there are more than the layer holds.
void place_footholds(model::CSFLayerRRE& layer, const std::vector<formats::control_point>& points);

// The fit as a report: the parameters, both sets of coefficients, the residual of the pairs
// in use and every point with its residual (ground minus fitted; none for a point not in
// use).
value fit_report(const georef::CTrRSS& tr, const std::vector<formats::control_point>& points);

// Writes the world file of --world-file from the direct coefficients and the points of
// --points-out, when asked; input_error when one cannot be written.
void write_georeferencing(const arguments& args, const georef::CTrRSS& tr,
                          const std::vector<formats::control_point>& points);

}  // namespace cli
