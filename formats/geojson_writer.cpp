#include "formats/geojson_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "formats/json_text.h"
#include "platform/file.h"

namespace formats {

namespace {

constexpr std::size_t kFlushSize = 1 << 16;

bool is_finite(const geojson_position& p) { return std::isfinite(p.lon) && std::isfinite(p.lat); }

// Twice the signed area, positive counter-clockwise; from the first position, so that large
// coordinates do not swallow small rings.
double twice_area(const geojson_ring& ring) {
    if (ring.size() < 3) return 0.0;
    const double ox = ring[0].lon, oy = ring[0].lat;
    double sum = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const geojson_position& a = ring[i];
        const geojson_position& b = ring[(i + 1) % ring.size()];
        sum += (a.lon - ox) * (b.lat - oy) - (b.lon - ox) * (a.lat - oy);
    }
    return sum;
}

// Even-odd test of a position against a ring.
bool inside(const geojson_position& p, const geojson_ring& ring) {
    bool in = false;
    if (ring.empty()) return false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const geojson_position& a = ring[i];
        const geojson_position& b = ring[j];
        if ((a.lat > p.lat) != (b.lat > p.lat) && p.lon < (b.lon - a.lon) * (p.lat - a.lat) / (b.lat - a.lat) + a.lon)
            in = !in;
    }
    return in;
}

// Without unusable positions, closed, turned counter-clockwise (outer) or clockwise (hole).
geojson_ring prepared(geojson_ring ring, bool outer) {
    std::erase_if(ring, [](const geojson_position& p) { return !is_finite(p); });
    if (!ring.empty() && ring.front() != ring.back()) ring.push_back(ring.front());
    if ((twice_area(ring) > 0) != outer) std::reverse(ring.begin(), ring.end());
    return ring;
}

void append_number(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void append_position(std::string& out, const geojson_position& p) {
    out += '[';
    append_number(out, p.lon);
    out += ',';
    append_number(out, p.lat);
    out += ']';
}

void append_positions(std::string& out, const geojson_ring& positions) {
    out += '[';
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (i) out += ',';
        append_position(out, positions[i]);
    }
    out += ']';
}

void append_list(std::string& out, const std::vector<std::string>& items) {
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        out += items[i];
    }
    out += ']';
}

// One member of a geometry collection written as a single geometry or as its multi form.
void append_geometry(std::string& out, const char* single, const char* multi, const std::vector<std::string>& members) {
    if (members.empty()) {
        out += "null";
        return;
    }
    out += "{\"type\":\"";
    out += members.size() == 1 ? single : multi;
    out += "\",\"coordinates\":";
    if (members.size() == 1)
        out += members[0];
    else
        append_list(out, members);
    out += '}';
}

void append_geometry(std::string& out, const geojson_feature& feature) {
    std::vector<std::string> members;
    switch (feature.kind) {
        case geojson_feature::point:
            if (!feature.parts.empty() && !feature.parts[0].empty() && !feature.parts[0][0].empty() &&
                is_finite(feature.parts[0][0][0])) {
                std::string position;
                append_position(position, feature.parts[0][0][0]);
                members.push_back(std::move(position));
            }
            append_geometry(out, "Point", "MultiPoint", members);
            return;
        case geojson_feature::lines:
            for (const auto& entry : feature.parts)
                for (const geojson_ring& line : entry) {
                    geojson_ring kept = line;
                    std::erase_if(kept, [](const geojson_position& p) { return !is_finite(p); });
                    if (kept.size() < 2) continue;
                    append_positions(members.emplace_back(), kept);
                }
            append_geometry(out, "LineString", "MultiLineString", members);
            return;
        case geojson_feature::polygons:
            for (const auto& polygon : feature.parts) {
                std::vector<std::string> rings;
                for (std::size_t i = 0; i < polygon.size(); ++i) {
                    const geojson_ring ring = prepared(polygon[i], i == 0);
                    // A polygon whose outer ring is unusable has nothing its holes could cut.
                    if (ring.size() < 4) {
                        if (i == 0) break;
                        continue;
                    }
                    append_positions(rings.emplace_back(), ring);
                }
                if (!rings.empty()) append_list(members.emplace_back(), rings);
            }
            append_geometry(out, "Polygon", "MultiPolygon", members);
            return;
        case geojson_feature::none: break;
    }
    out += "null";
}

void append_value(std::string& out, const geojson_value& value) {
    if (const auto* whole = std::get_if<std::int64_t>(&value)) {
        out += std::to_string(*whole);
    } else if (const auto* real = std::get_if<double>(&value)) {
        if (std::isfinite(*real))
            append_number(out, *real);
        else
            out += "null";
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        append_json_string(out, *text);
    } else {
        out += "null";
    }
}

}  // namespace

std::vector<std::vector<geojson_ring>> polygons_from_rings(std::vector<geojson_ring> rings) {
    std::erase_if(rings, [](const geojson_ring& ring) { return ring.empty(); });
    std::vector<std::vector<geojson_ring>> polygons;
    if (rings.size() == 1) {
        polygons.push_back({prepared(std::move(rings[0]), true)});
        return polygons;
    }
    std::vector<std::size_t> holes;
    std::vector<double> outer_area;
    for (std::size_t i = 0; i < rings.size(); ++i) {
        const double area = twice_area(rings[i]);
        if (area > 0) {
            holes.push_back(i);
        } else {
            polygons.push_back({prepared(std::move(rings[i]), true)});
            outer_area.push_back(-area);
        }
    }
    for (std::size_t i : holes) {
        std::size_t best = polygons.size();
        for (std::size_t k = 0; k < polygons.size(); ++k) {
            if (!inside(rings[i][0], polygons[k][0])) continue;
            if (best == polygons.size() || outer_area[k] < outer_area[best]) best = k;
        }
        if (best == polygons.size()) {
            outer_area.push_back(twice_area(rings[i]));
            polygons.push_back({prepared(std::move(rings[i]), true)});
        } else {
            polygons[best].push_back(prepared(std::move(rings[i]), false));
        }
    }
    return polygons;
}

geojson_writer::geojson_writer(platform::CFile& file) : m_file(file) {
    m_text = "{\"type\":\"FeatureCollection\",\"features\":[\n";
}

void geojson_writer::write(const geojson_feature& feature) {
    if (m_nFeatures) m_text += ",\n";
    m_text += "{\"type\":\"Feature\",\"properties\":{";
    for (std::size_t i = 0; i < feature.properties.size(); ++i) {
        if (i) m_text += ',';
        append_json_string(m_text, feature.properties[i].first);
        m_text += ':';
        append_value(m_text, feature.properties[i].second);
    }
    m_text += "},\"geometry\":";
    append_geometry(m_text, feature);
    m_text += '}';
    ++m_nFeatures;
    flush_if_full();
}

void geojson_writer::flush_if_full() {
    if (m_text.size() < kFlushSize) return;
    m_file.Write(m_text.data(), m_text.size());
    m_text.clear();
}

void geojson_writer::finish() {
    m_text += "\n]}\n";
    m_file.Write(m_text.data(), m_text.size());
    m_text.clear();
}

}  // namespace formats
