#include "tools/sample_shapes.h"

#include <shapefil.h>

#include "nimbra/image/bmp_image.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

struct part_list {
    std::vector<std::vector<std::pair<double, double>>> parts;
};

bool write_shapes(const std::string& path, int type, const std::vector<part_list>& shapes) {
    SHPHandle shp = SHPCreate(path.c_str(), type);
    if (!shp) return false;
    for (const part_list& shape : shapes) {
        std::vector<double> xs, ys;
        std::vector<int> starts;
        for (const auto& part : shape.parts) {
            starts.push_back(static_cast<int>(xs.size()));
            for (const auto& [x, y] : part) xs.push_back(x), ys.push_back(y);
        }
        SHPObject* o = SHPCreateObject(type, -1, static_cast<int>(starts.size()), starts.data(), nullptr,
                                       static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr, nullptr);
        SHPWriteObject(shp, -1, o);
        SHPDestroyObject(o);
    }
    SHPClose(shp);
    return true;
}

// A closed ring around (cx, cy) with a wobbling radius, clockwise as outer rings are kept.
std::vector<std::pair<double, double>> ring(double cx, double cy, double radius, int seed, bool clockwise = true) {
    std::vector<std::pair<double, double>> points;
    const int n = 40;
    for (int i = 0; i <= n; ++i) {
        const double a = (clockwise ? -1 : 1) * 2 * M_PI * (i % n) / n;
        const double r = radius * (1 + 0.18 * std::sin(3 * a + seed) + 0.07 * std::cos(7 * a + 2 * seed));
        points.emplace_back(cx + r * std::cos(a) * 1.7, cy + r * std::sin(a));
    }
    return points;
}

}  // namespace

int write_sample_shapefiles(const std::string& folder) {
    std::vector<part_list> districts;
    int seed = 1;
    for (double cx : {37.45, 37.65, 37.85})
        for (double cy : {55.62, 55.78}) districts.push_back({{ring(cx, cy, 0.07, seed++)}});
    districts[1].parts.push_back(ring(37.45, 55.78, 0.025, 9, false));  // a lake
    if (!write_shapes(folder + "/districts.shp", SHPT_POLYGON, districts)) return 2;

    part_list river, roads_a, roads_b;
    river.parts.emplace_back();
    for (int i = 0; i <= 60; ++i) {
        const double x = 37.3 + 0.0117 * i;
        river.parts.back().emplace_back(x, 55.70 + 0.05 * std::sin(i / 6.0));
    }
    roads_a.parts = {{{37.35, 55.55}, {37.6, 55.7}, {37.95, 55.88}}, {{37.6, 55.7}, {37.62, 55.9}}};
    roads_b.parts = {{{37.3, 55.85}, {37.55, 55.8}, {37.9, 55.6}}};
    if (!write_shapes(folder + "/river.shp", SHPT_ARC, {river})) return 2;
    if (!write_shapes(folder + "/roads.shp", SHPT_ARC, {roads_a, roads_b})) return 2;

    struct town {
        const char* name;
        double x, y;
        int population;
    };
    const town towns[] = {{"Northfield", 37.62, 55.86, 12000}, {"Riverside", 37.5, 55.71, 48000},
                          {"Eastbrook", 37.9, 55.74, 7600},    {"Southgate", 37.58, 55.58, 21500}};
    std::vector<part_list> points;
    for (const town& t : towns) points.push_back({{{{t.x, t.y}}}});
    if (!write_shapes(folder + "/towns.shp", SHPT_POINT, points)) return 2;
    DBFHandle dbf = DBFCreate((folder + "/towns.dbf").c_str());
    if (!dbf) return 2;
    const int name = DBFAddField(dbf, "NAME", FTString, 20, 0);
    const int population = DBFAddField(dbf, "POP", FTInteger, 9, 0);
    for (int i = 0; i < 4; ++i) {
        DBFWriteStringAttribute(dbf, i, name, towns[i].name);
        DBFWriteIntegerAttribute(dbf, i, population, towns[i].population);
    }
    DBFClose(dbf);
    return 0;
}

int write_big_lines(const std::string& path, int count, int vertices) {
    SHPHandle shp = SHPCreate(path.c_str(), SHPT_ARC);
    if (!shp) return 2;
    std::mt19937 random(42);
    std::uniform_real_distribution<double> start_x(20, 40), start_y(50, 60), step(-0.01, 0.01);
    std::vector<double> xs(static_cast<std::size_t>(vertices)), ys(xs.size());
    for (int i = 0; i < count; ++i) {
        double x = start_x(random), y = start_y(random);
        for (int v = 0; v < vertices; ++v) {
            xs[static_cast<std::size_t>(v)] = x += step(random);
            ys[static_cast<std::size_t>(v)] = y += step(random);
        }
        SHPObject* o = SHPCreateSimpleObject(SHPT_ARC, vertices, xs.data(), ys.data(), nullptr);
        SHPWriteObject(shp, -1, o);
        SHPDestroyObject(o);
    }
    SHPClose(shp);
    return 0;
}

int write_sample_icons(const std::string& folder) {
    using tarvel_tech::nimbra::bmp_image;
    // A town marker: a red disc with a white rim on a dark ground, and a blue square.
    for (int which = 0; which < 2; ++which) {
        bmp_image icon;
        if (!icon.create(16, 16, 8, 0)) return 2;
        auto& palette = icon.get_palette();
        for (int i = 0; i < 256; ++i) palette.replace_index(i, std::uint8_t{0}, std::uint8_t{0}, std::uint8_t{0});
        palette.replace_index(1, std::uint8_t{40}, std::uint8_t{40}, std::uint8_t{40});
        palette.replace_index(2, std::uint8_t{255}, std::uint8_t{255}, std::uint8_t{255});
        palette.replace_index(3, which ? std::uint8_t{30} : std::uint8_t{220}, std::uint8_t{40},
                              which ? std::uint8_t{220} : std::uint8_t{30});
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const double dx = x - 7.5, dy = y - 7.5, r = std::sqrt(dx * dx + dy * dy);
                const bool inside = which ? (x > 2 && x < 13 && y > 2 && y < 13) : r < 6;
                const bool rim = which ? (x > 1 && x < 14 && y > 1 && y < 14) : r < 7.5;
                icon.set_index(x, y, inside ? 3 : rim ? 2 : 1);
            }
        }
        const std::string name = folder + (which ? "/square.bmp" : "/town.bmp");
        if (!icon.save(name)) return 2;
    }
    return 0;
}
