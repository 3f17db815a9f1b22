#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "cli/command.h"
#include "cli/describe.h"
#include "platform/path.h"

namespace cli {
namespace {

using describe_function = void (*)(const std::string& path, const arguments& args, report_writer& out);

// A describer whose report is small enough to be made whole before it is written.
template <value (*describe)(const std::string&, const arguments&)>
void whole(const std::string& path, const arguments& args, report_writer& out) {
    const value report = describe(path, args);
    for (const auto& [key, member] : std::get<value::object>(report.data())) out.member(key, member);
}

struct describer {
    const char* extension;
    describe_function describe;
    std::initializer_list<std::string_view> options;  // what info takes for this kind
};

const describer describers[] = {
    {".dbf", whole<describe_dbf>, {"--json", "--records", "--code-page"}},
    {".rre", whole<describe_rre>, {"--json", "--frames"}},
    {".shp", whole<describe_shp>, {"--json", "--code-page"}},
    {".bmp", whole<describe_image>, {"--json"}},
    {".jpg", whole<describe_image>, {"--json"}},
    {".jpeg", whole<describe_image>, {"--json"}},
    {".kxr", describe_map_file, {"--json", "--code-page"}},
    {".ktf", describe_map_file, {"--json", "--code-page"}},
    {".points", describe_points, {"--json"}},
};

}  // namespace

int run_info(const arguments& args) {
    if (args.positional().size() != 1) throw usage_error("info takes exactly one FILE");
    const std::string& path = args.positional()[0];
    // A folder cannot be described, whatever its name; a missing file is its reader's to report.
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw cannot("describe", path, os_cause(EISDIR));
    const std::string ext = platform::lower_extension(path);
    for (const describer& d : describers) {
        if (ext != d.extension) continue;
        args.take_only(d.options, std::string("to ") + d.extension + " files");
        report_writer out(stdout, args.has("--json"));
        d.describe(path, args, out);
        out.finish();
        return exit_ok;
    }
    throw usage_error("info reads .shp, .dbf, .rre, .bmp, .jpg, .points, .kxr and .ktf files, not " +
                      (ext.empty() ? std::string("files without an extension") : ext + " files"));
}

}  // namespace cli
