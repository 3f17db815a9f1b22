#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "cli/command.h"
#include "cli/describe.h"
#include "platform/path.h"

namespace cli {
namespace {

struct describer {
    const char* extension;
    value (*describe)(const std::string& path, const arguments& args);
    std::initializer_list<std::string_view> options;  // what info takes for this kind
};

const describer describers[] = {
    {".dbf", describe_dbf, {"--json", "--records", "--code-page"}},
    {".rre", describe_rre, {"--json", "--frames"}},
    {".shp", describe_shp, {"--json", "--code-page"}},
    {".bmp", describe_image, {"--json"}},
    {".jpg", describe_image, {"--json"}},
    {".jpeg", describe_image, {"--json"}},
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
        print_report(d.describe(path, args), args.has("--json"));
        return exit_ok;
    }
    throw usage_error("info reads .shp, .dbf, .rre, .bmp and .jpg files, not " +
                      (ext.empty() ? std::string("files without an extension") : ext + " files"));
}

}  // namespace cli
