#pragma once

#include <string>

// A small map of shapefiles around 37.6 E 55.7 N: districts (polygons, one with a lake as a
// hole), a river and roads (polylines), towns (points with a dBASE table of names and
// populations). Answers 0, or 2 when a file cannot be written.
int write_sample_shapefiles(const std::string& folder);

// count polylines of vertices points each, a random walk over a 20 x 10 degree box, for
// measuring the reader on big inputs.
int write_big_lines(const std::string& path, int count, int vertices);

// Two 16 x 16 icons as 8-bit bitmap files: town.bmp (a red disc) and square.bmp.
int write_sample_icons(const std::string& folder);
