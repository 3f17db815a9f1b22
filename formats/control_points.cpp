#include "formats/control_points.h"

#include <cmath>
#include <optional>

#include "formats/number_text.h"
#include "formats/text_file.h"

namespace formats {
namespace {

// A control point file of a thousand footholds is some tens of kilobytes.
constexpr std::size_t max_file_length = std::size_t{16} << 20;

constexpr std::string_view crs_mark = "#CRS:";

// WGS 84 longitude and latitude, as QGIS writes a CRS on the first line.
constexpr std::string_view wgs84_wkt =
    "GEOGCRS[\"WGS 84\",DATUM[\"World Geodetic System 1984\",ELLIPSOID[\"WGS 84\",6378137,"
    "298.257223563,LENGTHUNIT[\"metre\",1]]],PRIMEM[\"Greenwich\",0,ANGLEUNIT[\"degree\","
    "0.0174532925199433]],CS[ellipsoidal,2],AXIS[\"geodetic latitude (Lat)\",north,ORDER[1],"
    "ANGLEUNIT[\"degree\",0.0174532925199433]],AXIS[\"geodetic longitude (Lon)\",east,ORDER[2],"
    "ANGLEUNIT[\"degree\",0.0174532925199433]],ID[\"EPSG\",4326]]";

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::vector<std::string_view> split_columns(std::string_view line) {
    std::vector<std::string_view> columns;
    for (;;) {
        const auto comma = line.find(',');
        columns.push_back(trim_blanks_and_tabs(line.substr(0, comma)));
        if (comma == std::string_view::npos) return columns;
        line.remove_prefix(comma + 1);
    }
}

// Where the columns this reader takes stand in the header.
struct header_columns {
    std::size_t count = 0;
    std::size_t map_x = 0, map_y = 0, pixel_x = 0, pixel_y = 0;
    std::optional<std::size_t> enable;
};

bool read_header(std::string_view line, header_columns& header) {
    const auto names = split_columns(line);
    std::optional<std::size_t> map_x, map_y, pixel_x, pixel_y;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = upper(names[i]);
        if (name == "MAPX") map_x = i;
        else if (name == "MAPY") map_y = i;
        else if (name == "PIXELX" || name == "SOURCEX") pixel_x = i;
        else if (name == "PIXELY" || name == "SOURCEY") pixel_y = i;
        else if (name == "ENABLE") header.enable = i;
    }
    if (!map_x || !map_y || !pixel_x || !pixel_y) return false;
    header.count = names.size();
    header.map_x = *map_x;
    header.map_y = *map_y;
    header.pixel_x = *pixel_x;
    header.pixel_y = *pixel_y;
    return true;
}

bool read_point(std::string_view line, const header_columns& header, control_point& point, std::string& reason) {
    const auto columns = split_columns(line);
    if (columns.size() != header.count) {
        reason = std::to_string(columns.size()) + " columns where the header has " + std::to_string(header.count);
        return false;
    }
    const std::pair<std::size_t, const char*> numbers[] = {
        {header.map_x, "mapX"}, {header.map_y, "mapY"}, {header.pixel_x, "pixelX"}, {header.pixel_y, "pixelY"}};
    double value[4];
    for (std::size_t k = 0; k < 4; ++k) {
        if (!parse_finite_number(columns[numbers[k].first], value[k])) {
            reason = std::string(numbers[k].second) + " is not a finite number: \"" +
                     std::string(columns[numbers[k].first].substr(0, 40)) + "\"";
            return false;
        }
    }
    point.longitude = value[0];
    point.latitude = value[1];
    point.column = value[2] - 0.5;
    point.row = -value[3] - 0.5;
    point.enabled = true;
    if (header.enable) {
        const std::string_view enable = columns[*header.enable];
        if (enable == "1") point.enabled = true;
        else if (enable == "0") point.enabled = false;
        else {
            reason = "enable is neither 0 nor 1: \"" + std::string(enable.substr(0, 40)) + "\"";
            return false;
        }
    }
    return true;
}

bool refuse(control_point_error& error, int line, std::string reason) {
    error.line = line;
    error.reason = std::move(reason);
    return false;
}

// A projected CRS's map coordinates are metres or feet, not degrees.
bool is_projected(std::string_view crs) {
    const std::string name = upper(trim_blanks_and_tabs(crs));
    return name.starts_with("PROJCRS") || name.starts_with("PROJCS") || name.starts_with("PROJECTEDCRS");
}

}  // namespace

bool parse_control_points(std::string_view text, control_point_list& list, control_point_error& error) {
    list = control_point_list{};
    error = control_point_error{};
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

    control_point_list read;
    header_columns header;
    bool header_read = false;
    int number = 0;
    while (!text.empty()) {
        const auto feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
        ++number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (trim_blanks_and_tabs(line).empty()) continue;

        if (number == 1 && line.starts_with(crs_mark)) {
            read.crs = std::string(trim_blanks_and_tabs(line.substr(crs_mark.size())));
            if (is_projected(read.crs))
                return refuse(error, number, "the map coordinates are projected, not longitude and latitude");
        } else if (!header_read) {
            if (!read_header(line, header))
                return refuse(error, number, "no header with the columns mapX, mapY, pixelX and pixelY");
            header_read = true;
        } else {
            control_point point;
            std::string reason;
            if (!read_point(line, header, point, reason)) return refuse(error, number, reason);
            read.points.push_back(point);
        }
    }
    if (!header_read) return refuse(error, number + 1, "no header with the columns mapX, mapY, pixelX and pixelY");
    list = std::move(read);
    return true;
}

bool read_control_points(const std::string& path, control_point_list& list, control_point_error& error) {
    list = control_point_list{};
    std::string text;
    if (!read_text_file(path, max_file_length, text, error.reason)) {
        error.line = 0;
        return false;
    }
    return parse_control_points(text, list, error);
}

bool format_control_points(const std::vector<control_point>& points, std::string& text, std::string& error) {
    text = "#CRS: " + std::string(wgs84_wkt) + "\nmapX,mapY,pixelX,pixelY,enable\n";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const control_point& p = points[i];
        const double pixel_x = p.column + 0.5;
        const double pixel_y = -(p.row + 0.5);
        for (double v : {p.longitude, p.latitude, pixel_x, pixel_y}) {
            if (!std::isfinite(v)) {
                error = "point " + std::to_string(i + 1) + " is not a finite number throughout";
                text.clear();
                return false;
            }
        }
        // -0 would read back the same, but no other tool writes it.
        text += format_number(p.longitude) + "," + format_number(p.latitude) + "," + format_number(pixel_x) + "," +
                format_number(pixel_y == 0.0 ? 0.0 : pixel_y) + "," + (p.enabled ? "1" : "0") + "\n";
    }
    return true;
}

bool write_control_points(const std::string& path, const std::vector<control_point>& points, std::string& error) {
    std::string text;
    return format_control_points(points, text, error) && write_text_file(path, text, error);
}

}  // namespace formats
