#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace platform {
class CFile;
}

namespace formats {

// A position in longitude and latitude, degrees.
struct geojson_position {
    double lon = 0.0;
    double lat = 0.0;
    bool operator==(const geojson_position&) const = default;
};
using geojson_ring = std::vector<geojson_position>;

// A property value: none, a whole number, a real number or UTF-8 text.
using geojson_value = std::variant<std::monostate, std::int64_t, double, std::string>;

struct geojson_feature {
    enum kind_type { none, point, lines, polygons };
    kind_type kind = none;
    // point: the first position of the first entry; lines: each entry one line string;
    // polygons: each entry one polygon, its outer ring first and its holes after it.
    std::vector<std::vector<geojson_ring>> parts;
    std::vector<std::pair<std::string, geojson_value>> properties;
};

// Rings of a shapefile polygon record as the polygons they make: clockwise rings are outer
// rings, counter-clockwise ones are holes of the smallest outer ring around them (a hole
// that no outer ring holds becomes an outer ring of its own). A single ring is an outer
// ring whatever its turn. Each ring comes back closed and turned as RFC 7946 has it: outer
// rings counter-clockwise, holes clockwise.
std::vector<std::vector<geojson_ring>> polygons_from_rings(std::vector<geojson_ring> rings);

// A GeoJSON FeatureCollection (RFC 7946) written feature by feature into a file. Numbers
// are written in the C locale, each the shortest text that reads back as the same double.
// Positions that are no numbers (NaN, infinite) are left out, as are line strings of fewer
// than two positions and rings of fewer than four; a geometry with nothing left is null.
// Raises the file's exceptions.
class geojson_writer {
public:
    explicit geojson_writer(platform::CFile& file);
    geojson_writer(const geojson_writer&) = delete;
    geojson_writer& operator=(const geojson_writer&) = delete;

    void write(const geojson_feature& feature);
    // Closes the collection and hands the rest to the file.
    void finish();

    std::uint64_t get_feature_count() const { return m_nFeatures; }

private:
    void flush_if_full();

    platform::CFile& m_file;
    std::string m_text;
    std::uint64_t m_nFeatures = 0;
};

}  // namespace formats
