#pragma once

#include <cstdint>
#include <string_view>

#include "formats/dbf.h"

namespace platform {
class CCodePage;
}

namespace formats {

// A field's text as stored in a record, read as a value of the field's kind; kindNone when
// it is null, blank or not of that kind.
CDBFValue read_dbf_value(std::uint32_t kind, std::string_view raw, const platform::CCodePage& code_page);
// The same into an empty value, reusing the memory its text holds.
void read_dbf_value(std::uint32_t kind, std::string_view raw, const platform::CCodePage& code_page, CDBFValue& value);

// A number as dBASE writes it ("  -12.50", "1.5e+03"), in the C locale whatever the
// user's locale.
bool parse_dbf_number(std::string_view text, double& number);
// A date "YYYYMMDD" as days since 30 December 1899; false for anything that is not a
// date of the proleptic Gregorian calendar.
bool parse_dbf_date(std::string_view text, double& days);

}  // namespace formats
