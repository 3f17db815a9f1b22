#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One field's value in the current record of a dBASE table. m_nKind is the field's kind
// (CDBF::kind...), or kindNone when the record holds no value there: a null or blank
// value, or one that does not read as its field's kind, is never handed out as a value.
struct CDBFValue {
    std::uint32_t m_nKind = 0;
    double m_dValue = 0.0;      // kindNumber: the number; kindDate: days since 30 December 1899
    std::int16_t m_bValue = 0;  // kindLogical: 0 false, -1 true
    std::u16string m_strValue;  // kindText: the text
};

// A dBASE attribute table (.dbf), read only: its fields in file order with their names and
// kinds, and the values of one record at a time.
class CDBF {
public:
    enum : std::uint32_t {
        kindNone = 0,     // types other than the four below; their values are never read
        kindNumber = 1,   // numeric (N) and float (F)
        kindText = 2,     // character (C), converted from the table's code page
        kindDate = 3,     // date (D)
        kindLogical = 4,  // logical (L)
    };

    CDBF();
    CDBF(const CDBF&) = delete;
    CDBF& operator=(const CDBF&) = delete;
    virtual ~CDBF();

    // 0 when the table is open on its first record; 1 when it cannot be opened or read
    // (missing, unreadable, or a header the file does not bear out). Every other code
    // belonged to the database provider that tables were once read through; none is
    // answered now, and callers treat every non-zero code alike.
    unsigned Open(const std::string& path);

    int GetFieldCount() const { return static_cast<int>(m_aNames.size()); }
    // Field names in the system's 8-bit character set.
    const std::vector<std::string>& GetNames() const { return m_aNames; }
    const std::vector<std::uint32_t>& GetKinds() const { return m_aKinds; }
    // The dBASE type letter of each field ('C', 'N', 'F', 'D', 'L', 'M', ...).
    const std::string& GetTypes() const { return m_strTypes; }

    // Complete records the file holds; never more than its header states.
    std::uint32_t GetRecordCount() const { return m_nRecordCount; }
    // The record count the header states, which a damaged file may not bear out.
    std::uint32_t GetHeaderRecordCount() const { return m_nHeaderRecordCount; }
    // The code page the table's text is read in, as the converter names it.
    const std::string& GetCodePage() const { return m_strCodePage; }

    // Each move answers the values of the new current record, one per field; a record
    // before the first or after the last has no value in any field.
    const std::vector<CDBFValue>& MoveFirst();
    const std::vector<CDBFValue>& MoveNext();
    const std::vector<CDBFValue>& MovePrev();
    // k (1-based) is clamped to the records there are.
    const std::vector<CDBFValue>& MoveTo(std::uint32_t k);

    // The 1-based number of the current record; 0 before the first, GetRecordCount() + 1
    // after the last.
    std::uint32_t GetCurrent() const { return m_nCurrent; }
    // Whether the current record carries the deletion mark. Deleted records keep their
    // place, since records pair with shapes by position.
    bool IsDeleted() const;

private:
    struct table;

    void Close();
    const std::vector<CDBFValue>& ReadCurrent();

    std::unique_ptr<table> m_pTable;
    std::string m_strCodePage;
    std::uint32_t m_nRecordCount = 0;
    std::uint32_t m_nHeaderRecordCount = 0;
    std::uint32_t m_nCurrent = 0;
    std::vector<std::string> m_aNames;
    std::vector<std::uint32_t> m_aKinds;
    std::string m_strTypes;
    std::vector<CDBFValue> m_aValues;
};
