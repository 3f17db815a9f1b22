#include "cli/describe.h"
#include "cli/footholds.h"

namespace cli {

// The pairs of a control point file, with the pixel positions as the fit takes them (the
// centre of the upper-left pixel is 0, 0) and as the file has them.
void describe_points(const std::string& path, const arguments&, report_writer& out) {
    const formats::control_point_list list = read_points_file(path);
    int used = 0;
    for (const formats::control_point& p : list.points) used += p.enabled;
    out.member("crs", list.crs);
    out.member("count", static_cast<int>(list.points.size()));
    out.member("used", used);
    out.begin_array("pairs");
    for (const formats::control_point& p : list.points) {
        out.item(value::object{
            {"x", p.column},
            {"y", p.row},
            {"pixelX", p.column + 0.5},
            {"pixelY", -(p.row + 0.5)},
            {"lon", p.longitude},
            {"lat", p.latitude},
            {"enabled", p.enabled},
        });
    }
    out.end_array();
}

}  // namespace cli
