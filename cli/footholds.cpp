#include "cli/footholds.h"

#include <algorithm>
#include <cmath>

#include "cli/output.h"
#include "formats/number_text.h"
#include "georef/foot_hold.h"
#include "georef/tr_rss.h"
#include "raster/layer_rre.h"

namespace cli {
namespace {

// One number of a --gcp value, read in the C locale whatever the user's locale.
double parse_number(const std::string& field, const std::string& gcp) {
    double v = 0.0;
    if (!formats::parse_finite_number(field, v)) throw usage_error("--gcp " + gcp + ": '" + field + "' is not a number");
    return v;
}

// "X,Y,LON,LAT": a pixel of the picture and its longitude and latitude in degrees.
formats::control_point parse_gcp(const std::string& gcp) {
    std::vector<double> v;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = gcp.find(',', start);
        v.push_back(parse_number(gcp.substr(start, comma - start), gcp));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (v.size() != 4) throw usage_error("--gcp " + gcp + ": expected X,Y,LON,LAT");
    formats::control_point point;
    point.column = v[0];
    point.row = v[1];
    point.longitude = v[2];
    point.latitude = v[3];
    return point;
}

value coefficients(const std::array<double, 6>& c) {
    value::array a;
    for (double v : c) a.emplace_back(v);
    return a;
}

}  // namespace

std::vector<formats::control_point> read_footholds(const arguments& args) {
    const std::vector<std::string> gcps = args.all("--gcp");
    std::vector<formats::control_point> points;
    if (!args.has("--points")) {
        for (const std::string& gcp : gcps) points.push_back(parse_gcp(gcp));
        return points;
    }
    if (!gcps.empty()) throw usage_error("give footholds either as --gcp or as --points, not both");
    return read_points_file(args.get("--points")).points;
}

formats::control_point_list read_points_file(const std::string& path) {
    formats::control_point_list list;
    formats::control_point_error error;
    if (!formats::read_control_points(path, list, error)) {
        if (error.line > 0) throw cannot("read", path, "line " + std::to_string(error.line) + ": " + error.reason);
        if (const std::string why = open_cause(path, ""); !why.empty()) throw cannot("open", path, why);
        throw cannot("read", path, error.reason);
    }
    return list;
}

void used_pairs(const std::vector<formats::control_point>& points, std::vector<georef::CPt>& plane,
                std::vector<georef::CPt>& ground) {
    for (const formats::control_point& p : points) {
        if (!p.enabled) continue;
        plane.emplace_back(p.column, p.row, 0.0);
        ground.emplace_back(p.longitude, p.latitude, 0.0);
    }
}

void place_footholds(model::CSFLayerRRE& layer, const std::vector<formats::control_point>& points) {
    georef::CFootHold& footholds = layer.GetFootHolds();
    for (const formats::control_point& p : points) {
        // Beyond the integer range nothing of a picture lies; such a point only fails the fit.
        const auto whole = [](double v) { return static_cast<int>(std::clamp(std::round(v), -2.0e9, 2.0e9)); };
        const int i = footholds.Add({whole(p.column), whole(p.row)});
        if (i < 0)
            throw input_error(std::to_string(points.size()) + " footholds: a layer holds at most " +
                              std::to_string(georef::CFootHold::kMaxCount));
        footholds.SetGround(i, georef::CPt(p.longitude, p.latitude, 0.0));
        if (!p.enabled) footholds.SetUnused(i);
    }
}

value fit_report(const georef::CTrRSS& tr, const std::vector<formats::control_point>& points) {
    std::vector<georef::CPt> plane, ground;
    used_pairs(points, plane, ground);
    value::array listed;
    for (const formats::control_point& p : points) {
        value::object point{{"x", p.column}, {"y", p.row}, {"lon", p.longitude}, {"lat", p.latitude}};
        if (p.enabled) {
            // As the foothold list shows them: ground minus the fitted position.
            const georef::CPt d = georef::CPt(p.longitude, p.latitude, 0.0) - tr.Forward(georef::CPt(p.column, p.row, 0.0));
            point.emplace_back("dx", d.x);
            point.emplace_back("dy", d.y);
        } else {
            point.emplace_back("used", false);
        }
        listed.emplace_back(std::move(point));
    }
    return value::object{
        {"theta", tr.GetTheta()},
        {"sx", tr.GetSx()},
        {"sy", tr.GetSy()},
        {"tx", tr.GetTx()},
        {"ty", tr.GetTy()},
        {"f", coefficients(tr.GetDirect())},
        {"g", coefficients(tr.GetInverse())},
        {"residual", tr.Residual(plane.data(), ground.data(), static_cast<int>(plane.size()))},
        {"points", std::move(listed)},
    };
}

void write_georeferencing(const arguments& args, const georef::CTrRSS& tr,
                          const std::vector<formats::control_point>& points) {
    if (args.has("--world-file")) write_world_file(args.get("--world-file"), tr.GetDirect());
    if (args.has("--points-out")) {
        const std::string path = args.get("--points-out");
        std::string text, error;
        if (!formats::format_control_points(points, text, error)) throw cannot("write", path, error);
        write_output(path, text);
    }
}

}  // namespace cli
