#pragma once

#include <string>

#include "platform/geometry.h"

namespace app {

// The texts of the status bar panes that follow the pointer.

// "Long = E 37 36.000'" and "Lat = N 55 45.000'" for the absolute value of the angle and the
// hemisphere flag (east, north), or "Long =" and "Lat =" when not valid.
std::string longitude_text(bool east, double longitude, bool valid);
std::string latitude_text(bool north, double latitude, bool valid);
// "X = 120" and "Y = 45", or "X =" and "Y =" when not valid.
std::string x_text(const platform::CPoint& point, bool valid);
std::string y_text(const platform::CPoint& point, bool valid);

}  // namespace app
