#pragma once

#include <string>

namespace model {

// A file that goes with a shapefile: its path with the extension (three letters, lower case)
// for the last three characters, or in capitals when only a file of that spelling is there.
std::string companion_path(const std::string& shapefile, const std::string& extension);

// The dBASE table of a shapefile ("dbf").
std::string table_path(const std::string& shapefile);

}  // namespace model
