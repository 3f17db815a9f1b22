#pragma once

#include <array>
#include <string>
#include <string_view>

namespace formats {

// The direct transformation of a georeferenced picture, as a fitted transformation and an
// RRE header keep it: longitude = f[0]·x + f[1]·y + f[2] and latitude = f[3]·x + f[4]·y + f[5]
// for pixel indices (x, y), (0, 0) being the centre of the upper-left pixel.
using world_transform = std::array<double, 6>;

// The world file beside a picture that GDAL and other GIS tools look for first: the first
// and last letters of the picture's extension and "w" (photo.jpg -> photo.jgw,
// scan.bmp -> scan.bpw, map.tiff -> map.tfw), or ".wld" when the extension has fewer than
// two characters.
std::string world_file_path(const std::string& picture_path);

// The six lines of a world file: f0, f3, f1, f4, f2, f5, in the C locale.
bool format_world_file(const world_transform& f, std::string& text, std::string& error);
// Six finite numbers, one per line (blank lines and blanks around them ignored, lines
// after the sixth number ignored), forming a transformation that can be inverted.
bool parse_world_file(std::string_view text, world_transform& f, std::string& error);

bool write_world_file(const std::string& path, const world_transform& f, std::string& error);
bool read_world_file(const std::string& path, world_transform& f, std::string& error);

}  // namespace formats
