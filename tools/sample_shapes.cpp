#include "tools/sample_shapes.h"

#include "nimbra/image/bmp_image.h"
#include "platform/replacing_file.h"
#include "tools/shapefile_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

// Says which file could not be written and why, and answers the exit code 2.
int cannot_write(const std::string& path, const std::string& cause) {
    std::fprintf(stderr, "plotwright-sample: cannot write %s: %s\n", path.c_str(), cause.c_str());
    return 2;
}

// A file shapelib could not create: the reason is the folder's, when it has one.
int cannot_create(const std::string& path) {
    const int error = errno;
    const std::string folder = path.substr(0, path.find_last_of('/'));
    struct stat st{};
    if (::stat(folder.c_str(), &st) != 0) return cannot_write(path, std::strerror(errno));
    if (!S_ISDIR(st.st_mode)) return cannot_write(path, std::strerror(ENOTDIR));
    return cannot_write(path, std::strerror(error ? error : EIO));
}

// A closed ring around (cx, cy) with a wobbling radius, clockwise as outer rings are kept.
tools::vertices ring(double cx, double cy, double radius, int seed, bool clockwise = true) {
    tools::vertices points;
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
    using tools::write_shapefile;
    std::vector<std::vector<tools::vertices>> districts;
    int seed = 1;
    for (double cx : {37.45, 37.65, 37.85})
        for (double cy : {55.62, 55.78}) districts.push_back({ring(cx, cy, 0.07, seed++)});
    districts[1].push_back(ring(37.45, 55.78, 0.025, 9, false));  // a lake
    if (!write_shapefile(folder + "/districts.shp", SHPT_POLYGON, districts)) return cannot_create(folder + "/districts.shp");

    std::vector<tools::vertices> river(1), roads_a, roads_b;
    for (int i = 0; i <= 60; ++i) {
        const double x = 37.3 + 0.0117 * i;
        river.back().emplace_back(x, 55.70 + 0.05 * std::sin(i / 6.0));
    }
    roads_a = {{{37.35, 55.55}, {37.6, 55.7}, {37.95, 55.88}}, {{37.6, 55.7}, {37.62, 55.9}}};
    roads_b = {{{37.3, 55.85}, {37.55, 55.8}, {37.9, 55.6}}};
    if (!write_shapefile(folder + "/river.shp", SHPT_ARC, {river})) return cannot_create(folder + "/river.shp");
    if (!write_shapefile(folder + "/roads.shp", SHPT_ARC, {roads_a, roads_b})) return cannot_create(folder + "/roads.shp");

    struct town {
        const char* name;
        double x, y;
        int population;
    };
    const town towns[] = {{"Northfield", 37.62, 55.86, 12000}, {"Riverside", 37.5, 55.71, 48000},
                          {"Eastbrook", 37.9, 55.74, 7600},    {"Southgate", 37.58, 55.58, 21500}};
    std::vector<std::vector<tools::vertices>> points;
    for (const town& t : towns) points.push_back({{{t.x, t.y}}});
    if (!write_shapefile(folder + "/towns.shp", SHPT_POINT, points)) return cannot_create(folder + "/towns.shp");
    DBFHandle dbf = DBFCreate((folder + "/towns.dbf").c_str());
    if (!dbf) return cannot_create(folder + "/towns.dbf");
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
    tools::shapefile_writer shp(path, SHPT_ARC);
    if (!shp.is_open()) return cannot_create(path);
    std::mt19937 random(42);
    std::uniform_real_distribution<double> start_x(20, 40), start_y(50, 60), step(-0.01, 0.01);
    std::vector<tools::vertices> line(1, tools::vertices(static_cast<std::size_t>(vertices)));
    for (int i = 0; i < count; ++i) {
        double x = start_x(random), y = start_y(random);
        for (auto& v : line[0]) v = {x += step(random), y += step(random)};
        if (!shp.add(line)) return cannot_write(path, "shapelib could not add a line");
    }
    return 0;
}

int write_sample_icons(const std::string& folder) {
    using tarvel_tech::nimbra::bmp_image;
    // A town marker: a red disc with a white rim on a dark ground, and a blue square.
    for (int which = 0; which < 2; ++which) {
        bmp_image icon;
        if (!icon.create(16, 16, 8, 0)) return cannot_write(folder, "out of memory");
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
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t length = 0;
        std::string error;
        if (!icon.encode(bytes, length)) return cannot_write(name, "the bitmap cannot be encoded");
        if (!platform::write_whole_file(name, bytes.get(), length, error)) return cannot_write(name, error);
    }
    return 0;
}
