#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {
class CFile;
}

namespace formats {

// The layout of a dBASE table as its header describes it, checked against the file's size,
// so that nothing downstream trusts a length or count the file cannot back.
struct dbf_field_layout {
    std::string raw_name;  // up to 11 bytes in the table's code page
    char type = 0;         // dBASE type letter
    std::uint8_t width = 0;
    std::uint8_t decimals = 0;
};

struct dbf_layout {
    std::uint32_t header_records = 0;  // the record count the header states
    std::uint32_t records = 0;         // complete records the file holds, at most header_records
    std::uint16_t header_length = 0;
    std::uint16_t record_length = 0;
    std::uint8_t language_driver = 0;
    std::vector<dbf_field_layout> fields;
};

constexpr std::size_t dbf_file_header_size = 32;
constexpr std::size_t dbf_field_descriptor_size = 32;

// Reads the header of the open table. False when it cannot describe a table: shorter than
// its fixed part, a header length the file does not hold, a record length of zero, or
// fields that run past the end of the record.
bool read_dbf_layout(platform::CFile& file, dbf_layout& layout);

}  // namespace formats
