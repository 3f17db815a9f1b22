// The inputs of bench/compare, generated so that nothing big is kept in the repository:
//   compare_inputs lines OUT.shp COUNT VERTICES   random polylines
//   compare_inputs points OUT.shp COUNT           points with a table of three fields
//   compare_inputs rings OUT.shp COUNT MIN MAX    polygon rings of MIN..MAX vertices
//   compare_inputs picture WIDTH HEIGHT           a scan-like picture as PPM on stdout
// Shapefiles are written through shapelib's writer (tools/shapefile_writer) and DBFCreate.
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "tools/shapefile_writer.h"

namespace {

// A small generator of its own, so that the inputs are the same on every system.
struct random_numbers {
    std::uint64_t state;
    explicit random_numbers(std::uint64_t seed) : state(seed) {}
    std::uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    // In [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double between(double a, double b) { return a + (b - a) * unit(); }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
};

int write_lines(const std::string& path, int count, int vertices) {
    tools::shapefile_writer writer(path, SHPT_ARC);
    if (!writer.is_open()) return 2;
    random_numbers r(1);
    tools::vertices part;
    for (int i = 0; i < count; ++i) {
        part.clear();
        double x = r.between(30.0, 40.0), y = r.between(50.0, 60.0);
        for (int k = 0; k < vertices; ++k) {
            part.emplace_back(x, y);
            x += r.between(-0.01, 0.01);
            y += r.between(-0.01, 0.01);
        }
        if (!writer.add({part})) return 2;
    }
    return 0;
}

// Place names of a few syllables, as a gazetteer has them.
std::string place_name(random_numbers& r) {
    static const char* const syllables[] = {"ka", "lo", "mir", "no", "vo", "gor", "sk", "an", "ta", "ru",
                                            "be", "zy", "ol", "dvor", "ich", "ne", "pol", "ye", "sha", "ni"};
    std::string name;
    const int n = 2 + r.below(3);
    for (int i = 0; i < n; ++i) name += syllables[r.below(20)];
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    return name;
}

int write_points(const std::string& path, int count) {
    tools::shapefile_writer writer(path, SHPT_POINT);
    const std::string table_path = path.substr(0, path.size() - 4) + ".dbf";
    DBFHandle table = DBFCreate(table_path.c_str());
    if (!writer.is_open() || !table) return 2;
    DBFAddField(table, "ID", FTInteger, 10, 0);
    DBFAddField(table, "NAME", FTString, 24, 0);
    DBFAddField(table, "ELEV", FTDouble, 12, 3);
    random_numbers r(2);
    int result = 0;
    for (int i = 0; i < count && result == 0; ++i) {
        if (!writer.add({{{r.between(20.0, 60.0), r.between(40.0, 70.0)}}})) result = 2;
        if (!DBFWriteIntegerAttribute(table, i, 0, i + 1) ||
            !DBFWriteStringAttribute(table, i, 1, place_name(r).c_str()) ||
            !DBFWriteDoubleAttribute(table, i, 2, std::round(r.between(-50.0, 3000.0) * 1000.0) / 1000.0))
            result = 2;
    }
    DBFClose(table);
    return result;
}

// Star-shaped rings: every vertex seen from the centre at a growing angle, at a random
// distance, so that rings are simple; spread so that many cross the lines of a 10 x 10 grid.
int write_rings(const std::string& path, int count, int least, int most) {
    tools::shapefile_writer writer(path, SHPT_POLYGON);
    if (!writer.is_open()) return 2;
    random_numbers r(3);
    tools::vertices ring;
    for (int i = 0; i < count; ++i) {
        ring.clear();
        const int n = least + r.below(most - least + 1);
        const double cx = r.between(30.0, 40.0), cy = r.between(50.0, 60.0);
        const double radius = r.between(0.05, 0.8);
        for (int k = 0; k < n; ++k) {
            const double angle = -2.0 * std::numbers::pi * k / n;  // clockwise, as outer rings go
            const double d = radius * r.between(0.5, 1.0);
            ring.emplace_back(cx + d * std::cos(angle), cy + d * std::sin(angle));
        }
        ring.push_back(ring.front());
        if (!writer.add({ring})) return 2;
    }
    return 0;
}

// A picture like a scanned map sheet: paper tone, smooth shading, contour-like bands, a grid
// every 250 pixels and grain, so that its JPEG costs what a real scan costs.
int write_picture(int width, int height) {
    std::printf("P6\n%d %d\n255\n", width, height);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    random_numbers r(4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double relief = std::sin(x * 0.0031) * std::cos(y * 0.0027) + 0.5 * std::sin((x + y) * 0.011);
            const bool contour = std::fmod(std::fabs(relief) * 40.0, 4.0) < 0.35;
            const bool grid = x % 250 < 2 || y % 250 < 2;
            const int grain = static_cast<int>(r.next() % 17) - 8;
            int red = 228 + static_cast<int>(relief * 18.0), green = 220 + static_cast<int>(relief * 10.0), blue = 196;
            if (contour) red -= 90, green -= 110, blue -= 150;
            if (grid) red = 40, green = 60, blue = 140;
            unsigned char* p = &row[static_cast<std::size_t>(x) * 3];
            p[0] = static_cast<unsigned char>(std::clamp(red + grain, 0, 255));
            p[1] = static_cast<unsigned char>(std::clamp(green + grain, 0, 255));
            p[2] = static_cast<unsigned char>(std::clamp(blue + grain, 0, 255));
        }
        if (std::fwrite(row.data(), 1, row.size(), stdout) != row.size()) return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "lines" && argc == 5) return write_lines(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (what == "points" && argc == 4) return write_points(argv[2], std::atoi(argv[3]));
    if (what == "rings" && argc == 6) return write_rings(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    if (what == "picture" && argc == 4) return write_picture(std::atoi(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr,
                 "usage: compare_inputs lines OUT.shp COUNT VERTICES\n"
                 "       compare_inputs points OUT.shp COUNT\n"
                 "       compare_inputs rings OUT.shp COUNT MIN MAX\n"
                 "       compare_inputs picture WIDTH HEIGHT > OUT.ppm\n");
    return 1;
}
