#include "app/coordinate_text.h"

#include <cmath>

#include "georef/dlg_points_list.h"

namespace app {

namespace {

// The foothold list writes angles the same way; its hemisphere comes from the sign.
std::string angle(double value, bool latitude, bool positive) {
    const double a = std::fabs(value);
    return georef::CDlgPointsList::FormatCoordinate(positive ? a : -a, latitude);
}

}  // namespace

std::string longitude_text(bool east, double longitude, bool valid) {
    return valid ? "Long = " + angle(longitude, false, east) : "Long =";
}

std::string latitude_text(bool north, double latitude, bool valid) {
    return valid ? "Lat = " + angle(latitude, true, north) : "Lat =";
}

// The number is always written: a pointer on the first column reads "X = 0", not "X = ".
std::string x_text(const platform::CPoint& point, bool valid) { return valid ? "X = " + std::to_string(point.x) : "X ="; }

std::string y_text(const platform::CPoint& point, bool valid) { return valid ? "Y = " + std::to_string(point.y) : "Y ="; }

}  // namespace app
