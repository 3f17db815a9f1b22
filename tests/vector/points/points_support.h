#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "map/sf_map.h"
#include "shapes/sf_geometry.h"
#include "map/ktf_source.h"
#include "vector/layer_point.h"

namespace points_test {

// A Point shapefile written by shapelib (path without extension; .shp and .shx).
void write_point_shapefile(const std::string& stem, const std::vector<model::CSFPt>& points);

// An 8-bit bitmap written by the image library: every pixel takes palette index `index`,
// whose entry is the colour (red, green, blue); the other entries stay black.
void write_icon_bmp(const std::string& path, int width, int height, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue, int index = 7);

// A point layer of the map read from the shapefile as adding a layer reads it.
model::CSFLayerPoint* add_point_layer(model::CSFMap& map, const std::string& shp);

// A text export layer for the tests: objects given as lists of points.
class ktf_layer_double : public model::ktf_layer_source {
public:
    class object : public model::point_source {
    public:
        explicit object(std::vector<model::CSFPt> points) : points_(std::move(points)) {}
        int GetPointCount() const override { return static_cast<int>(points_.size()); }
        int GetPoint(int index, double& x, double& y) const override;

    private:
        std::vector<model::CSFPt> points_;
    };

    void add(std::vector<model::CSFPt> points) { objects_.emplace_back(std::move(points)); }
    int get_object_count() const override { return static_cast<int>(objects_.size()); }
    const model::point_source& get_object(int index) const override { return objects_[static_cast<std::size_t>(index)]; }

private:
    std::vector<object> objects_;
};

}  // namespace points_test
