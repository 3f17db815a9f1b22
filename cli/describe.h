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
value describe_kxr(const std::string& path, const arguments& args);
value describe_ktf(const std::string& path, const arguments& args);
value describe_points(const std::string& path, const arguments& args);

}  // namespace cli
