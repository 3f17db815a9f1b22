#pragma once

#include <shapefil.h>

#include <string>
#include <utility>
#include <vector>

namespace tools {

// A part of a shape: its vertices as (x, y).
using vertices = std::vector<std::pair<double, double>>;

// A shapefile (.shp and .shx) written shape by shape with shapelib's writer, of shape type
// SHPT_POINT (1), SHPT_ARC (3) or SHPT_POLYGON (5); closed when it goes.
class shapefile_writer {
public:
    shapefile_writer(const std::string& path, int shape_type);
    ~shapefile_writer();
    shapefile_writer(const shapefile_writer&) = delete;
    shapefile_writer& operator=(const shapefile_writer&) = delete;

    // Whether the files could be created.
    bool is_open() const { return m_shp != nullptr; }
    // Appends a shape of these parts (a point is one part of one vertex); false when the
    // writer cannot take it.
    bool add(const std::vector<vertices>& parts);

private:
    SHPHandle m_shp;
    int m_nShapeType;
    std::vector<double> m_xs, m_ys;
    std::vector<int> m_starts;
};

// Every shape, each a list of parts, into a new shapefile; false when it cannot be written.
bool write_shapefile(const std::string& path, int shape_type, const std::vector<std::vector<vertices>>& shapes);

}  // namespace tools
