#include "tests/vector/points/points_support.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <stdexcept>

#include "nimbra/image/bmp_image.h"
#include "tools/shapefile_writer.h"
#include "vector/register_layers.h"

using namespace model;

namespace points_test {

void write_point_shapefile(const std::string& stem, const std::vector<CSFPt>& points) {
    std::vector<std::vector<tools::vertices>> shapes;
    for (const CSFPt& p : points) shapes.push_back({{{p.X, p.Y}}});
    if (!tools::write_shapefile(stem, SHPT_POINT, shapes)) throw std::runtime_error("shapelib cannot create " + stem);
}

void write_icon_bmp(const std::string& path, int width, int height, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue, int index) {
    tarvel_tech::nimbra::bmp_image image;
    if (!image.create(width, height, 8, 0)) throw std::runtime_error("cannot create a bitmap");
    for (int i = 0; i < 256; ++i) image.get_palette().replace_index(i, std::uint8_t{0}, std::uint8_t{0}, std::uint8_t{0});
    image.get_palette().replace_index(index, red, green, blue);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.set_index(x, y, index);
    if (!image.save(path)) throw std::runtime_error("cannot write " + path);
}

CSFLayerPoint* add_point_layer(CSFMap& map, const std::string& shp) {
    register_vector_layers();
    CSFLayer* layer = nullptr;
    EXPECT_EQ(map.AddLayerFromFile(shp, &layer), 0u) << shp;
    auto* point = dynamic_cast<CSFLayerPoint*>(layer);
    EXPECT_NE(point, nullptr);
    return point;
}

int ktf_layer_double::object::GetPoint(int index, double& x, double& y) const {
    if (index < 0 || static_cast<std::size_t>(index) >= points_.size()) return 1;
    x = points_[static_cast<std::size_t>(index)].X;
    y = points_[static_cast<std::size_t>(index)].Y;
    return 0;
}

}  // namespace points_test
