#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "cli/command.h"
#include "georef/snap.h"
#include "georef/tr_rss.h"
#include "platform/ui_service.h"

namespace cli {
namespace {

// One number of a --gcp value, read in the C locale whatever the user's locale.
double parse_number(const std::string& field, const std::string& gcp) {
    const char* first = field.data();
    const char* last = field.data() + field.size();
    if (first != last && *first == '+' && first + 1 != last && first[1] != '-') ++first;
    double v = 0.0;
    auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || first == last || !std::isfinite(v))
        throw usage_error("--gcp " + gcp + ": '" + field + "' is not a number");
    return v;
}

// "X,Y,LON,LAT": a pixel of the picture and its longitude and latitude in degrees.
void parse_gcp(const std::string& gcp, georef::CPt& plane, georef::CPt& ground) {
    std::vector<double> v;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = gcp.find(',', start);
        v.push_back(parse_number(gcp.substr(start, comma - start), gcp));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (v.size() != 4) throw usage_error("--gcp " + gcp + ": expected X,Y,LON,LAT");
    plane = georef::CPt(v[0], v[1], 0.0);
    ground = georef::CPt(v[2], v[3], 0.0);
}

value coefficients(const std::array<double, 6>& c) {
    value::array a;
    for (double v : c) a.emplace_back(v);
    return a;
}

}  // namespace

int run_snap(const arguments& args) {
    if (!args.positional().empty()) throw usage_error("snap takes no FILE, only --gcp pairs");

    std::vector<georef::CPt> plane, ground;
    for (const std::string& gcp : args.all("--gcp")) {
        parse_gcp(gcp, plane.emplace_back(), ground.emplace_back());
    }
    const int n = static_cast<int>(plane.size());

    // A fresh transformation, as a layer has before its first snap. The kernel would repeat
    // its warning at every step of the fit; on the console each is said once.
    georef::CTrRSS tr;
    {
        platform::distinct_messages once;
        if (!georef::SnapFit(tr, plane.data(), ground.data(), n)) return exit_input;
    }

    value::array points;
    for (int i = 0; i < n; ++i) {
        // As the foothold list shows them: ground minus the fitted position.
        const georef::CPt d = ground[i] - tr.Forward(plane[i]);
        points.emplace_back(value::object{
            {"x", plane[i].x},
            {"y", plane[i].y},
            {"lon", ground[i].x},
            {"lat", ground[i].y},
            {"dx", d.x},
            {"dy", d.y},
        });
    }
    value::object report{
        {"theta", tr.GetTheta()},
        {"sx", tr.GetSx()},
        {"sy", tr.GetSy()},
        {"tx", tr.GetTx()},
        {"ty", tr.GetTy()},
        {"f", coefficients(tr.GetDirect())},
        {"g", coefficients(tr.GetInverse())},
        {"residual", tr.Residual(plane.data(), ground.data(), n)},
        {"points", std::move(points)},
    };
    print_report(report, args.has("--json"));
    return exit_ok;
}

}  // namespace cli
