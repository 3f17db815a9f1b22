#pragma once

#include <string>
#include <string_view>

namespace formats {

// Appends the text as a JSON string: in quotes, with quotes, backslashes and control
// characters escaped; every other byte (UTF-8 included) as it is.
void append_json_string(std::string& out, std::string_view text);

}  // namespace formats
