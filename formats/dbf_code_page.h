#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace formats {

// The code page of a dBASE table, as a converter name ("CP1251", "UTF-8"): the one the
// .cpg file beside the table names, else the one of the header's language driver byte,
// else Windows-1252. A name the converter does not know counts as no name.
std::string dbf_code_page(const std::string& table_path, std::uint8_t language_driver);

// The code page a .cpg file's text names ("UTF-8", "1251", "CP1251", "windows-1251",
// "ANSI 1251", "88595", "ISO-8859-5", "KOI8-R"...); empty when it names none the converter
// knows.
std::string code_page_of_cpg(std::string_view text);
// The code page of a language driver byte (offset 29 of the header); empty for 0 and for
// drivers whose code page the converter does not know.
std::string code_page_of_language_driver(std::uint8_t language_driver);

}  // namespace formats
