#include <string>

#include "cli/command.h"
#include "cli/describe.h"
#include "platform/path.h"

namespace cli {
namespace {

struct describer {
    const char* extension;
    value (*describe)(const std::string& path, const arguments& args);
};

const describer describers[] = {
    {".dbf", describe_dbf},
    {".rre", describe_rre},
    {".shp", describe_shp},
    {".bmp", describe_image},
    {".jpg", describe_image},
    {".jpeg", describe_image},
    {".kxr", describe_kxr},
    {".ktf", describe_ktf},
    {".points", describe_points},
};

}  // namespace

int run_info(const std::vector<std::string>& raw) {
    arguments args(raw, {{"--json", false}, {"--frames", false}, {"--records", false}});
    if (args.positional().size() != 1) throw usage_error("info takes exactly one FILE");
    const std::string& path = args.positional()[0];
    const std::string ext = platform::lower_extension(path);
    for (const describer& d : describers) {
        if (ext == d.extension) {
            print_report(d.describe(path, args), args.has("--json"));
            return exit_ok;
        }
    }
    throw usage_error("info does not know files of the kind '" + ext + "'");
}

}  // namespace cli
