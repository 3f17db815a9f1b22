#include "cli/describe.h"
#include "formats/dbf.h"
#include "platform/code_page.h"

namespace cli {
namespace {

value value_of(const CDBFValue& v) {
    switch (v.m_nKind) {
        case CDBF::kindNumber:
        case CDBF::kindDate: return v.m_dValue;
        case CDBF::kindText: return platform::utf16_to_utf8(v.m_strValue);
        case CDBF::kindLogical: return v.m_bValue != 0;
        default: return {};
    }
}

}  // namespace

value describe_dbf(const std::string& path, const arguments& args) {
    CDBF table;
    if (table.Open(path) != 0) throw input_error("Couldn't connect to " + path);

    // Names are kept in the system's 8-bit character set; they are shown as UTF-8.
    const std::string system = platform::system_code_page();
    value::array fields;
    for (int i = 0; i < table.GetFieldCount(); ++i) {
        fields.emplace_back(value::object{
            {"name", platform::utf16_to_utf8(platform::to_utf16(table.GetNames()[i], system))},
            {"kind", table.GetKinds()[i]},
            {"type", std::string(1, table.GetTypes()[i])},
        });
    }
    value::object report{
        {"code_page", table.GetCodePage()},
        {"record_count", table.GetRecordCount()},
    };
    if (table.GetHeaderRecordCount() != table.GetRecordCount())
        report.emplace_back("header_record_count", table.GetHeaderRecordCount());
    report.emplace_back("fields", std::move(fields));

    if (args.has("--records")) {
        value::array records;
        value::array deleted;
        for (std::uint32_t k = 1; k <= table.GetRecordCount(); ++k) {
            const auto& values = k == 1 ? table.MoveFirst() : table.MoveNext();
            value::array record;
            for (const CDBFValue& v : values) record.push_back(value_of(v));
            records.emplace_back(std::move(record));
            if (table.IsDeleted()) deleted.emplace_back(k);
        }
        report.emplace_back("records", std::move(records));
        if (!deleted.empty()) report.emplace_back("deleted_records", std::move(deleted));
    }
    return report;
}

}  // namespace cli
