#include "formats/dbf.h"

#include <shapefil.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string_view>

#include "formats/dbf_code_page.h"
#include "formats/dbf_layout.h"
#include "formats/dbf_value.h"
#include "platform/code_page.h"
#include "platform/file.h"

namespace {

// shapelib derives the table's file name from the path it is given (it swaps the extension
// for ".dbf", then ".DBF") and looks for a .cpg beside it. The table opened is exactly the
// one asked for, and the code page file is read here, not there.
thread_local const char* exact_table_path = nullptr;

SAFile open_exact_table(const char* derived_name, const char* access) {
    const std::string_view name(derived_name);
    const bool table = name.ends_with(".dbf") || name.ends_with(".DBF");
    if (!table || !exact_table_path) return nullptr;
    return reinterpret_cast<SAFile>(std::fopen(exact_table_path, access));
}

// Failures are answered by result codes; shapelib's own messages would only reach stderr.
void ignore_error(const char*) {}

DBFHandle open_table(const std::string& path) {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = open_exact_table;
    hooks.Error = ignore_error;
    exact_table_path = path.c_str();
    DBFHandle handle = DBFOpenLL(path.c_str(), "rb", &hooks);
    exact_table_path = nullptr;
    return handle;
}

std::uint32_t kind_of_type(char type) {
    switch (type) {
        case 'N':
        case 'F': return CDBF::kindNumber;
        case 'C': return CDBF::kindText;
        case 'D': return CDBF::kindDate;
        case 'L': return CDBF::kindLogical;
        default: return CDBF::kindNone;
    }
}

}  // namespace

struct CDBF::table {
    DBFHandle handle = nullptr;
    std::unique_ptr<platform::CCodePage> code_page;

    ~table() {
        if (handle) DBFClose(handle);
    }
};

CDBF::CDBF() = default;

CDBF::~CDBF() = default;

void CDBF::Close() {
    m_pTable.reset();
    m_strCodePage.clear();
    m_nRecordCount = m_nHeaderRecordCount = m_nCurrent = 0;
    m_aNames.clear();
    m_aKinds.clear();
    m_strTypes.clear();
    m_aValues.clear();
}

unsigned CDBF::Open(const std::string& path) {
    Close();

    // shapelib believes the header; the header is first checked against the file.
    formats::dbf_layout layout;
    try {
        platform::CFile file;
        if (!file.Open(path, platform::CFile::modeRead | platform::CFile::shareDenyNone)) return 1;
        if (!formats::read_dbf_layout(file, layout)) return 1;
    } catch (const platform::CException&) {
        return 1;
    }

    auto opened = std::make_unique<table>();
    opened->handle = open_table(path);
    if (!opened->handle) return 1;
    // Both readers must see the same fields, or values would be taken from the wrong bytes.
    if (DBFGetFieldCount(opened->handle) < static_cast<int>(layout.fields.size())) return 1;
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const int field = static_cast<int>(i);
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        int decimals = 0;
        DBFGetFieldInfo(opened->handle, field, name, &width, &decimals);
        if (width != layout.fields[i].width ||
            DBFGetNativeFieldType(opened->handle, field) != layout.fields[i].type)
            return 1;
    }

    m_strCodePage = formats::dbf_code_page(path, layout.language_driver);
    opened->code_page = std::make_unique<platform::CCodePage>(m_strCodePage);
    platform::CCodePage system(platform::system_code_page());
    for (const formats::dbf_field_layout& field : layout.fields) {
        // shapelib keeps 11 bytes of a name and trims its trailing blanks; so does this.
        std::string raw = field.raw_name;
        raw.erase(raw.find_last_not_of(' ') + 1);
        m_aNames.push_back(system.FromUTF16(opened->code_page->ToUTF16(raw)));
        m_aKinds.push_back(kind_of_type(field.type));
        m_strTypes.push_back(field.type);
    }
    // shapelib keeps 31 bits of the header's count (0x80000000 reads as none), while the
    // count is unsigned; it walks the records by the count checked against the file.
    m_nHeaderRecordCount = layout.header_records;
    m_nRecordCount = std::min<std::uint32_t>(layout.records, INT_MAX);
    opened->handle->nRecords = static_cast<int>(m_nRecordCount);
    m_pTable = std::move(opened);
    MoveFirst();
    return 0;
}

const std::vector<CDBFValue>& CDBF::ReadCurrent() {
    m_aValues.assign(m_aKinds.size(), CDBFValue{});
    if (!m_pTable || m_nCurrent < 1 || m_nCurrent > m_nRecordCount) return m_aValues;
    const int record = static_cast<int>(m_nCurrent - 1);
    for (std::size_t i = 0; i < m_aKinds.size(); ++i) {
        if (m_aKinds[i] == kindNone) continue;
        const char* raw = DBFReadStringAttribute(m_pTable->handle, record, static_cast<int>(i));
        if (!raw) continue;
        m_aValues[i] = formats::read_dbf_value(m_aKinds[i], raw, *m_pTable->code_page);
    }
    return m_aValues;
}

const std::vector<CDBFValue>& CDBF::MoveFirst() {
    m_nCurrent = 1;
    return ReadCurrent();
}

const std::vector<CDBFValue>& CDBF::MoveNext() {
    if (m_nCurrent <= m_nRecordCount) ++m_nCurrent;
    return ReadCurrent();
}

const std::vector<CDBFValue>& CDBF::MovePrev() {
    if (m_nCurrent > 0) --m_nCurrent;
    return ReadCurrent();
}

const std::vector<CDBFValue>& CDBF::MoveTo(std::uint32_t k) {
    m_nCurrent = std::clamp<std::uint32_t>(k, 1, std::max<std::uint32_t>(m_nRecordCount, 1));
    return ReadCurrent();
}

bool CDBF::IsDeleted() const {
    if (!m_pTable || m_nCurrent < 1 || m_nCurrent > m_nRecordCount) return false;
    return DBFIsRecordDeleted(m_pTable->handle, static_cast<int>(m_nCurrent - 1)) != 0;
}
