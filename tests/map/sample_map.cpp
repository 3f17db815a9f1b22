#include "tests/map/sample_map.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <filesystem>
#include <stdexcept>

#include "map/sf_map.h"
#include "nimbra/image/bmp_image.h"
#include "tests/vector/lines/counties.h"
#include "tools/shapefile_writer.h"
#include "vector/icon_folder.h"
#include "vector/layer_point.h"
#include "vector/register_layers.h"

namespace sample_map {

namespace {

struct town {
    double lon, lat;
    const char* name;  // Windows-1252, as the table keeps it
    double population;
    bool capital;
};

const town towns[] = {
    {-97.5, 38.75, "Fairmont", 12500.5, false},
    {-101.25, 37.125, "Saint-\xC9tienne", 3100, true},
    {-95.0625, 40.5, "Lake \"View\"", 0.25, false},
    {-103.75, 36.25, "Back\\slash", -7, false},
    {-99.9999, 39.0001, "Nowhere", 1e6, true},
};

void write_towns(const std::string& path) {
    std::vector<std::vector<tools::vertices>> shapes;
    for (const town& t : towns) shapes.push_back({{{t.lon, t.lat}}});
    if (!tools::write_shapefile(path, SHPT_POINT, shapes)) throw std::runtime_error("cannot write " + path);
    const std::string table = path.substr(0, path.size() - 3) + "dbf";
    DBFHandle dbf = DBFCreate(table.c_str());
    if (!dbf) throw std::runtime_error("cannot write " + table);
    DBFAddField(dbf, "NAME", FTString, 20, 0);
    DBFAddField(dbf, "POP", FTDouble, 14, 4);
    DBFAddNativeFieldType(dbf, "CAPITAL", 'L', 1, 0);
    DBFAddNativeFieldType(dbf, "FOUNDED", 'D', 8, 0);
    for (int i = 0; i < static_cast<int>(std::size(towns)); ++i) {
        DBFWriteStringAttribute(dbf, i, 0, towns[i].name);
        DBFWriteDoubleAttribute(dbf, i, 1, towns[i].population);
        DBFWriteLogicalAttribute(dbf, i, 2, towns[i].capital ? 'T' : 'F');
        DBFWriteStringAttribute(dbf, i, 3, ("185" + std::to_string(i) + "0110").c_str());
    }
    DBFClose(dbf);
}

void write_icon(const std::string& path, int width, int height, std::uint8_t red, std::uint8_t green) {
    tarvel_tech::nimbra::bmp_image image;
    if (!image.create(width, height, 8, 0)) throw std::runtime_error("cannot create a bitmap");
    image.get_palette().replace_index(1, red, green, std::uint8_t{40});
    image.get_palette().replace_index(2, std::uint8_t{255}, std::uint8_t{255}, std::uint8_t{255});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.set_index(x, y, (x + y) % 3 == 0 ? 2 : 1);
    if (!image.save(path)) throw std::runtime_error("cannot write " + path);
}

}  // namespace

sources write_sources(const std::string& folder) {
    sources s{folder + "/towns.shp", folder + "/roads.shp", folder + "/counties.shp", folder + "/icons"};
    write_towns(s.towns);
    const std::vector<std::vector<tools::vertices>> roads = {
        {{{-103.9, 36.1}, {-99.0, 38.0}, {-94.2, 40.9}}},
        {{{-102.0, 40.0}, {-101.0, 40.0}}, {{-96.0, 37.0}, {-95.5, 37.5}, {-95.0, 37.0}}},
        {{{-100.00005, 36.5}, {-100.00005, 40.5}}},
    };
    if (!tools::write_shapefile(s.roads, SHPT_ARC, roads)) throw std::runtime_error("cannot write " + s.roads);
    counties::write_shapefile(s.counties.substr(0, s.counties.size() - 4), counties::make_counties(7, 6, 4), false);
    std::filesystem::create_directories(s.icons);
    write_icon(s.icons + "/a.bmp", 16, 16, 200, 30);
    write_icon(s.icons + "/b.bmp", 8, 12, 20, 180);
    return s;
}

void compose(model::CSFMap& map, const sources& from, platform::CDC* dc) {
    model::register_vector_layers();
    for (const std::string& path : {from.counties, from.roads, from.towns}) {
        model::CSFLayer* layer = nullptr;
        ASSERT_EQ(map.AddLayerFromFile(path, &layer), model::layer_added) << path;
        model::add_icon_layer_for(map, layer, from.icons, dc);
        if (auto* points = dynamic_cast<model::CSFLayerPoint*>(layer)) {
            ASSERT_TRUE(points->set_label_field("NAME"));
            points->m_nIcon = 1;
        }
    }
    map.RegridLayers(10, 10);
}

}  // namespace sample_map
