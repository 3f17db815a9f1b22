#pragma once

#include <string>

#include "cli/command.h"

namespace cli {

// One describer per kind of file `info` reads; each throws input_error when the file
// cannot be read.
value describe_dbf(const std::string& path, const arguments& args);
value describe_shp(const std::string& path, const arguments& args);
value describe_rre(const std::string& path, const arguments& args);
value describe_image(const std::string& path, const arguments& args);

// These write their report as they go (a map's layers, a file's pairs one by one), once the
// file has been read whole.
void describe_map_file(const std::string& path, const arguments& args, report_writer& out);  // .kxr, .ktf
void describe_points(const std::string& path, const arguments& args, report_writer& out);

}  // namespace cli
