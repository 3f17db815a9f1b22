#pragma once

#include <string>
#include <string_view>

namespace formats {

// The text is one finite number, with an optional sign, read in the C locale whatever the
// user's locale ("1.5", "-2e3"; not "1,5", "nan", "inf", "1.5x").
bool parse_finite_number(std::string_view text, double& number);

// The shortest text that reads back as the same double, in the C locale.
std::string format_number(double number);

// The text without the blanks and tabs around it.
std::string_view trim_blanks_and_tabs(std::string_view text);

}  // namespace formats
