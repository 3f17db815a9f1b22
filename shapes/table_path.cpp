#include "shapes/table_path.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace model {

std::string companion_path(const std::string& shapefile, const std::string& extension) {
    const std::string stem = shapefile.size() >= 3 ? shapefile.substr(0, shapefile.size() - 3) : std::string();
    std::string path = stem + extension;
    // Files written on systems that ignore case often spell their name in capitals.
    std::string capitals = extension;
    for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && std::filesystem::exists(stem + capitals, ec)) path = stem + capitals;
    return path;
}

std::string table_path(const std::string& shapefile) { return companion_path(shapefile, "dbf"); }

}  // namespace model
