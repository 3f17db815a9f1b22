#pragma once

#include <string>

namespace model {

// The dBASE table of a shapefile: its path with "dbf" for the last three characters, or "DBF"
// when only a table of that spelling is there.
std::string table_path(const std::string& shapefile);

}  // namespace model
