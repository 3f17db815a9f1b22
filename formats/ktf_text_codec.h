#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {
class CCodePage;
}

namespace formats {

// The character set of a text export's values. Exports from Windows tools are in the
// system's 8-bit character set already; a file in UTF-8 (a byte order mark, or characters
// beyond ASCII that are all well-formed UTF-8) has its values converted into it, with '?'
// for characters the set cannot hold.
class ktf_text_codec {
public:
    explicit ktf_text_codec(bool utf8);
    ktf_text_codec(const ktf_text_codec&) = delete;
    ktf_text_codec& operator=(const ktf_text_codec&) = delete;
    ~ktf_text_codec();

    static bool is_utf8(std::string_view text);
    bool converts() const { return m_pFrom != nullptr; }
    std::string convert(std::string_view value) const;

private:
    std::unique_ptr<platform::CCodePage> m_pFrom;
    std::unique_ptr<platform::CCodePage> m_pTo;
};

}  // namespace formats
