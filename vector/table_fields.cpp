#include "vector/table_fields.h"

#include <filesystem>
#include <system_error>

#include "formats/dbf.h"
#include "platform/code_page.h"
#include "vector/layer_point.h"

std::string TablePath(const std::string& shapefile) {
    const std::string stem = shapefile.size() >= 3 ? shapefile.substr(0, shapefile.size() - 3) : std::string();
    std::string table = stem + "dbf";
    // Tables written on systems that ignore case often spell their name in capitals.
    std::error_code ec;
    if (!std::filesystem::exists(table, ec) && std::filesystem::exists(stem + "DBF", ec)) table = stem + "DBF";
    return table;
}

std::optional<table_description> DescribeTable(const std::string& shapefile) {
    table_description description;
    description.path = TablePath(shapefile);
    CDBF table;
    if (table.Open(description.path) != 0) return std::nullopt;
    description.code_page = table.GetCodePage();
    description.record_count = table.GetRecordCount();
    const std::string system = platform::system_code_page();
    for (int i = 0; i < table.GetFieldCount(); ++i) {
        const std::size_t f = static_cast<std::size_t>(i);
        description.fields.push_back({platform::utf16_to_utf8(platform::to_utf16(table.GetNames()[f], system)),
                                      table.GetTypes()[f], table.GetKinds()[f],
                                      CSFLayerPoint::AttributeKind(table.GetKinds()[f])});
    }
    return description;
}
