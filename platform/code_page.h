#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Conversions between the text of one code page, named as the converter knows it
// ("CP1251", "UTF-8", "ISO-8859-5"), and UTF-16. A code page is opened once and
// converts any number of texts.
class CCodePage {
public:
    explicit CCodePage(const std::string& name);
    CCodePage(const CCodePage&) = delete;
    CCodePage& operator=(const CCodePage&) = delete;
    ~CCodePage();

    // False when the converter does not know the name; conversions then answer empty text.
    bool IsValid() const;
    const std::string& GetName() const { return m_strName; }

    // Bytes that are not text in this code page become U+FFFD.
    std::u16string ToUTF16(std::string_view text) const;
    // Characters this code page cannot hold become '?'.
    std::string FromUTF16(std::u16string_view text) const;

private:
    struct converters;
    std::string m_strName;
    std::unique_ptr<converters> m_pConverters;
};

// Whether the converter knows a code page of that name.
bool is_known_code_page(const std::string& name);

// The system's 8-bit character set: the one chosen for this process when there is one, else
// the one the settings name when the converter knows it, else Windows-1252.
std::string system_code_page();
// Chooses the system's 8-bit character set for the rest of the process (a command line's
// choice), whatever the settings say; an empty name goes back to the settings. False, and
// nothing changed, when the converter does not know the name.
bool choose_code_page(const std::string& name);

// Text in the system's 8-bit character set, '?' for every character it cannot hold.
std::string to_system_code_page(std::u16string_view text);
std::string utf8_to_system_code_page(std::string_view utf8);

// Text of a named code page as UTF-16 (U+FFFD for bytes that are no text in it).
std::u16string to_utf16(std::string_view text, const std::string& code_page);
std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view text);

}  // namespace platform
