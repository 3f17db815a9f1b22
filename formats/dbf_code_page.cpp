#include "formats/dbf_code_page.h"

#include <charconv>

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/path.h"

namespace formats {
namespace {

// Windows code page numbers as the converter names them.
std::string code_page_of_number(unsigned n) {
    switch (n) {
        case 65001: return "UTF-8";
        case 20866: return "KOI8-R";
        case 21866: return "KOI8-U";
        case 10000: return "MACINTOSH";
        case 10007: return "MAC-CYRILLIC";
        case 10029: return "MAC-CENTRALEUROPE";
        default: break;
    }
    if (n >= 28591 && n <= 28606) return "ISO-8859-" + std::to_string(n - 28590);
    return "CP" + std::to_string(n);
}

std::string known_or_empty(const std::string& name) {
    return platform::is_known_code_page(name) ? name : std::string();
}

bool parse_number(std::string_view digits, unsigned& n) {
    if (digits.empty()) return false;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && end == digits.data() + digits.size();
}

bool is_letter_or_digit(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// A code page's name is a short word of ASCII letters, digits and a few separators. Anything
// else (a binary file, a page of text) names none, and is never handed to the converter,
// which would skip the characters it does not take and could read what is left as the
// locale's own code page.
bool is_plausible_name(std::string_view text) {
    constexpr std::size_t longest = 32;
    if (text.size() > longest) return false;
    bool letter_or_digit = false;
    for (char c : text) {
        if (is_letter_or_digit(c)) letter_or_digit = true;
        else if (c != ' ' && c != '-' && c != '_' && c != '.' && c != ':') return false;
    }
    return letter_or_digit;
}

bool starts_with(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The language driver bytes of dBASE and of the GIS programs that write tables, with the
// Windows code page of each.
unsigned code_page_number_of_driver(std::uint8_t driver) {
    switch (driver) {
        case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15:
        case 0x18: case 0x19: case 0x1B: return 437;
        case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16:
        case 0x1A: case 0x1D: case 0x25: case 0x37: return 850;
        case 0x03: case 0x57: case 0x58: case 0x59: return 1252;
        case 0x04: return 10000;
        case 0x08: case 0x17: case 0x66: return 865;
        case 0x13: case 0x7B: return 932;
        case 0x1C: case 0x6C: return 863;
        case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: case 0x87: return 852;
        case 0x24: return 860;
        case 0x26: case 0x65: return 866;
        case 0x4D: case 0x7A: return 936;
        case 0x4E: case 0x79: return 949;
        case 0x4F: case 0x78: return 950;
        case 0x50: case 0x7C: return 874;
        case 0x67: return 861;
        case 0x6A: case 0x86: return 737;
        case 0x6B: case 0x88: return 857;
        case 0x7D: return 1255;
        case 0x7E: return 1256;
        case 0x96: return 10007;
        case 0x97: return 10029;
        case 0xC8: return 1250;
        case 0xC9: return 1251;
        case 0xCA: return 1254;
        case 0xCB: return 1253;
        case 0xCC: return 1257;
        default: return 0;
    }
}

}  // namespace

std::string code_page_of_language_driver(std::uint8_t language_driver) {
    const unsigned n = code_page_number_of_driver(language_driver);
    return n ? known_or_empty(code_page_of_number(n)) : std::string();
}

std::string code_page_of_cpg(std::string_view text) {
    // The first line, without a byte order mark and the blanks around it.
    if (starts_with(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    text = text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (!is_plausible_name(text)) return {};

    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (upper == "UTF-8" || upper == "UTF8") return "UTF-8";

    // ISO 8859 parts as "88595", "8859-5", "ISO-8859-5", "ISO8859_5", "ISO 8859-5".
    std::string_view rest = upper;
    if (starts_with(rest, "ISO")) rest.remove_prefix(3);
    while (!rest.empty() && (rest[0] == ' ' || rest[0] == '-' || rest[0] == '_')) rest.remove_prefix(1);
    if (starts_with(rest, "8859")) {
        rest.remove_prefix(4);
        if (!rest.empty() && (rest[0] == '-' || rest[0] == '_')) rest.remove_prefix(1);
        unsigned part = 0;
        if (parse_number(rest, part) && part >= 1 && part <= 16)
            return known_or_empty("ISO-8859-" + std::to_string(part));
        return {};
    }

    // Windows code pages as "1251", "CP1251", "windows-1251", "ANSI 1251", "OEM 866".
    rest = upper;
    for (std::string_view prefix : {"WINDOWS", "ANSI", "OEM", "IBM", "CP", "MS"}) {
        if (starts_with(rest, prefix)) {
            rest.remove_prefix(prefix.size());
            break;
        }
    }
    while (!rest.empty() && (rest[0] == ' ' || rest[0] == '-' || rest[0] == '_')) rest.remove_prefix(1);
    unsigned n = 0;
    if (parse_number(rest, n)) return known_or_empty(code_page_of_number(n));

    // Any other name the converter knows as it stands ("KOI8-R", "BIG5").
    return known_or_empty(std::string(text));
}

std::string dbf_code_page(const std::string& table_path, std::uint8_t language_driver) {
    const std::string name = platform::file_name_part(table_path);
    const auto dot = name.rfind('.');
    const std::string base =
        dot == std::string::npos ? table_path : table_path.substr(0, table_path.size() - (name.size() - dot));
    for (const char* extension : {".cpg", ".CPG"}) {
        platform::CFile cpg;
        if (!cpg.Open(base + extension, platform::CFile::modeRead | platform::CFile::shareDenyNone))
            continue;
        // A code page name is a short line; more is not read.
        char text[256];
        std::size_t size = 0;
        try {
            size = cpg.Read(text, sizeof text);
        } catch (const platform::CFileException&) {
            break;
        }
        std::string code_page = code_page_of_cpg(std::string_view(text, size));
        if (!code_page.empty()) return code_page;
        break;
    }
    std::string code_page = code_page_of_language_driver(language_driver);
    return code_page.empty() ? "CP1252" : code_page;
}

}  // namespace formats
