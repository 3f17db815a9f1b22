#include "vector/table_fields.h"

#include "formats/dbf.h"
#include "platform/code_page.h"
#include "shapes/table_path.h"
#include "vector/layer_point.h"

namespace model {

std::optional<table_description> describe_table(const std::string& shapefile) {
    table_description description;
    description.path = table_path(shapefile);
    CDBF table;
    if (table.Open(description.path) != 0) return std::nullopt;
    description.code_page = table.GetCodePage();
    description.record_count = table.GetRecordCount();
    const std::string system = platform::system_code_page();
    for (int i = 0; i < table.GetFieldCount(); ++i) {
        const std::size_t f = static_cast<std::size_t>(i);
        description.fields.push_back({platform::utf16_to_utf8(platform::to_utf16(table.GetNames()[f], system)),
                                      table.GetTypes()[f], table.GetKinds()[f],
                                      CSFLayerPoint::attribute_kind(table.GetKinds()[f])});
    }
    return description;
}

}  // namespace model
