#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace formats {

// One foothold as other GIS tools exchange it: a place on the picture in pixel indices
// (column to the right, row downward; (0, 0) is the centre of the upper-left pixel, as the
// fitted transformation counts) and its longitude and latitude in degrees.
struct control_point {
    double column = 0.0;
    double row = 0.0;
    double longitude = 0.0;
    double latitude = 0.0;
    bool enabled = true;
};

struct control_point_list {
    std::string crs;  // the text of the "#CRS:" line; empty when the file has none
    std::vector<control_point> points;
};

struct control_point_error {
    int line = 0;  // 1 for the first line of the file; 0 when the file could not be read
    std::string reason;
};

// Control point files of QGIS's georeferencer (.points): an optional "#CRS: ..." line, the
// header "mapX,mapY,pixelX,pixelY,enable" (also with "sourceX,sourceY", and the older
// trailing "dX,dY,residual"), then one line per point. Their pixel coordinates count from
// the upper-left corner of the picture with y growing upward: pixelX = column + 0.5,
// pixelY = -(row + 0.5). A file that cannot be taken whole is refused with the line at
// fault, and list is left empty.
bool parse_control_points(std::string_view text, control_point_list& list, control_point_error& error);
bool read_control_points(const std::string& path, control_point_list& list, control_point_error& error);

// The file in the form current QGIS writes, with the points' coordinates in WGS 84.
// False, with the cause, for a point that is not a finite number throughout or when the
// file cannot be written; the file is written whole or not at all.
bool format_control_points(const std::vector<control_point>& points, std::string& text, std::string& error);
bool write_control_points(const std::string& path, const std::vector<control_point>& points, std::string& error);

}  // namespace formats
