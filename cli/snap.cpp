#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/footholds.h"
#include "georef/snap.h"
#include "georef/tr_rss.h"
#include "platform/ui_service.h"

namespace cli {

int run_snap(const arguments& args) {
    if (!args.positional().empty()) throw usage_error("snap takes no FILE, only --gcp pairs or --points");

    const std::vector<formats::control_point> points = read_footholds(args);
    std::vector<georef::CPt> plane, ground;
    used_pairs(points, plane, ground);
    const int n = static_cast<int>(plane.size());

    // A fresh transformation, as a layer has before its first snap. The kernel would repeat
    // its warning at every step of the fit; on the console each is said once.
    georef::CTrRSS tr;
    {
        platform::distinct_messages once;
        if (!georef::SnapFit(tr, plane.data(), ground.data(), n)) return exit_input;
    }
    write_georeferencing(args, tr, points);
    print_report(fit_report(tr, points), args.has("--json"));
    return exit_ok;
}

}  // namespace cli
