// A control point file read from disk; what it gives must survive being written and read
// again.

#include <cmath>
#include <cstdlib>

#include "formats/control_points.h"
#include "fuzz/input_file.h"

namespace {

// The file keeps pixel coordinates half a pixel off the indices, so the way back may round.
bool close_enough(double a, double b) {
    const double scale = std::abs(a) + 1.0;
    return std::abs(a - b) <= 4 * (std::nextafter(scale, INFINITY) - scale);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::input_file file("picture.points");
    formats::control_point_list list;
    formats::control_point_error error;
    if (!formats::read_control_points(file.write(data, size), list, error)) {
        if (error.reason.empty() || !list.points.empty()) std::abort();
        return 0;
    }
    std::string text, cause;
    if (!formats::format_control_points(list.points, text, cause)) std::abort();
    formats::control_point_list again;
    if (!formats::parse_control_points(text, again, error) || again.points.size() != list.points.size()) std::abort();
    for (std::size_t i = 0; i < list.points.size(); ++i) {
        const formats::control_point& a = list.points[i];
        const formats::control_point& b = again.points[i];
        if (a.longitude != b.longitude || a.latitude != b.latitude || a.enabled != b.enabled ||
            !close_enough(a.column, b.column) || !close_enough(a.row, b.row))
            std::abort();
    }
    return 0;
}
