#include "formats/dbf.h"

#include <shapefil.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
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

// The table as shapelib reads it: read only, through a large buffer. shapelib seeks to every
// record before reading it; here a seek inside the buffer costs nothing, where the C
// library's costs a system call, which for a table of a million records was most of the
// time spent reading it.
struct table_file {
    static constexpr std::size_t buffer_size = std::size_t{1} << 18;

    int fd = -1;
    std::uint64_t length = 0;
    std::uint64_t position = 0;
    std::uint64_t buffer_start = 0;
    std::size_t buffered = 0;
    std::vector<char> buffer = std::vector<char>(buffer_size);
};

table_file* file_of(SAFile file) { return reinterpret_cast<table_file*>(file); }

SAFile open_exact_table(const char* derived_name, const char* access) {
    const std::string_view name(derived_name);
    const bool table = name.ends_with(".dbf") || name.ends_with(".DBF");
    if (!table || !exact_table_path || std::string_view(access).find_first_of("wa+") != std::string_view::npos)
        return nullptr;
    const int fd = ::open(exact_table_path, O_RDONLY | O_CLOEXEC);
    struct stat st{};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    auto* file = new table_file;
    file->fd = fd;
    file->length = static_cast<std::uint64_t>(st.st_size);
    return reinterpret_cast<SAFile>(file);
}

SAOffset read_table(void* p, SAOffset size, SAOffset count, SAFile handle) {
    table_file& f = *file_of(handle);
    if (size == 0 || count == 0) return 0;
    char* out = static_cast<char*>(p);
    std::size_t wanted = static_cast<std::size_t>(size * count), got = 0;
    while (got < wanted) {
        if (f.position < f.buffer_start || f.position >= f.buffer_start + f.buffered) {
            f.buffer_start = f.position;
            f.buffered = 0;
            ssize_t n;
            do {
                n = ::pread(f.fd, f.buffer.data(), f.buffer.size(), static_cast<off_t>(f.position));
            } while (n < 0 && errno == EINTR);
            if (n <= 0) break;
            f.buffered = static_cast<std::size_t>(n);
        }
        const std::size_t at = static_cast<std::size_t>(f.position - f.buffer_start);
        const std::size_t n = std::min(wanted - got, f.buffered - at);
        std::memcpy(out + got, f.buffer.data() + at, n);
        got += n;
        f.position += n;
    }
    return static_cast<SAOffset>(got / size);
}

SAOffset write_table(void*, SAOffset, SAOffset, SAFile) { return 0; }

SAOffset seek_table(SAFile handle, SAOffset offset, int whence) {
    table_file& f = *file_of(handle);
    const std::int64_t base = whence == SEEK_SET ? 0
                              : whence == SEEK_CUR ? static_cast<std::int64_t>(f.position)
                                                   : static_cast<std::int64_t>(f.length);
    const std::int64_t to = base + static_cast<std::int64_t>(offset);
    if (to < 0) return -1;
    f.position = static_cast<std::uint64_t>(to);
    return 0;
}

SAOffset tell_table(SAFile handle) { return static_cast<SAOffset>(file_of(handle)->position); }

int flush_table(SAFile) { return 0; }

int close_table(SAFile handle) {
    table_file* f = file_of(handle);
    const int result = ::close(f->fd);
    delete f;
    return result;
}

// Failures are answered by result codes; shapelib's own messages would only reach stderr.
void ignore_error(const char*) {}

DBFHandle open_table(const std::string& path) {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = open_exact_table;
    hooks.FRead = read_table;
    hooks.FWrite = write_table;
    hooks.FSeek = seek_table;
    hooks.FTell = tell_table;
    hooks.FFlush = flush_table;
    hooks.FClose = close_table;
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
    // The values are emptied in place, so that walking a table reuses their text's memory.
    m_aValues.resize(m_aKinds.size());
    for (CDBFValue& value : m_aValues) {
        value.m_nKind = kindNone;
        value.m_dValue = 0.0;
        value.m_bValue = 0;
        value.m_strValue.clear();
    }
    if (!m_pTable || m_nCurrent < 1 || m_nCurrent > m_nRecordCount) return m_aValues;
    const int record = static_cast<int>(m_nCurrent - 1);
    for (std::size_t i = 0; i < m_aKinds.size(); ++i) {
        if (m_aKinds[i] == kindNone) continue;
        const char* raw = DBFReadStringAttribute(m_pTable->handle, record, static_cast<int>(i));
        if (!raw) continue;
        formats::read_dbf_value(m_aKinds[i], raw, *m_pTable->code_page, m_aValues[i]);
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
