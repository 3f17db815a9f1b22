#include "shapes/table_path.h"

#include <filesystem>
#include <system_error>

namespace model {

std::string table_path(const std::string& shapefile) {
    const std::string stem = shapefile.size() >= 3 ? shapefile.substr(0, shapefile.size() - 3) : std::string();
    std::string table = stem + "dbf";
    // Tables written on systems that ignore case often spell their name in capitals.
    std::error_code ec;
    if (!std::filesystem::exists(table, ec) && std::filesystem::exists(stem + "DBF", ec)) table = stem + "DBF";
    return table;
}

}  // namespace model
