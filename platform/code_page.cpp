#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "platform/endian.h"
#include "platform/settings.h"

namespace platform {
namespace {

const iconv_t no_converter = reinterpret_cast<iconv_t>(-1);

// UTF-16 travels through the converter as little-endian bytes without a byte order mark.
constexpr const char* utf16_name = "UTF-16LE";

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Runs the converter over the input, answering the output bytes. At an input sequence the
// converter refuses, substitute() appends the replacement and answers how many input bytes
// to skip.
template <class Substitute>
std::vector<char> convert(iconv_t cd, const char* input, std::size_t size, Substitute substitute) {
    std::vector<char> out(size * 2 + 16);
    std::size_t used = 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input);
    std::size_t in_left = size;
    bool flushing = false;
    for (;;) {
        char* dest = out.data() + used;
        std::size_t dest_left = out.size() - used;
        // A final call with no input writes what a stateful encoding still owes.
        std::size_t r = flushing ? iconv(cd, nullptr, nullptr, &dest, &dest_left)
                                 : iconv(cd, &in, &in_left, &dest, &dest_left);
        const int error = errno;
        used = out.size() - dest_left;
        if (r != static_cast<std::size_t>(-1)) {
            if (flushing) break;
            flushing = true;
            continue;
        }
        if (error == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (flushing) break;
        // EILSEQ: a sequence the converter cannot take; EINVAL: one cut off at the end.
        std::vector<char> replacement;
        std::size_t skip = substitute(in, in_left, replacement);
        if (error == EINVAL || skip == 0 || skip > in_left) skip = in_left;
        out.resize(used);
        out.insert(out.end(), replacement.begin(), replacement.end());
        used = out.size();
        out.resize(used + in_left * 2 + 16);
        in += skip;
        in_left -= skip;
    }
    out.resize(used);
    return out;
}

}  // namespace

struct CCodePage::converters {
    iconv_t decode = no_converter;  // code page -> UTF-16LE
    iconv_t encode = no_converter;  // UTF-16LE -> code page
    std::string question_mark;      // '?' as this code page writes it

    ~converters() {
        if (decode != no_converter) iconv_close(decode);
        if (encode != no_converter) iconv_close(encode);
    }
};

CCodePage::CCodePage(const std::string& name) : m_strName(name), m_pConverters(new converters) {
    m_pConverters->decode = iconv_open(utf16_name, name.c_str());
    m_pConverters->encode = iconv_open(name.c_str(), utf16_name);
    if (IsValid()) {
        const char q[2] = {'?', 0};
        std::vector<char> bytes = convert(m_pConverters->encode, q, 2,
                                          [](const char*, std::size_t left, std::vector<char>&) {
                                              return left;
                                          });
        m_pConverters->question_mark.assign(bytes.begin(), bytes.end());
        if (m_pConverters->question_mark.empty()) m_pConverters->question_mark = "?";
    }
}

CCodePage::~CCodePage() = default;

bool CCodePage::IsValid() const {
    return m_pConverters->decode != no_converter && m_pConverters->encode != no_converter;
}

std::u16string CCodePage::ToUTF16(std::string_view text) const {
    if (!IsValid() || text.empty()) return {};
    std::vector<char> bytes =
        convert(m_pConverters->decode, text.data(), text.size(),
                [](const char*, std::size_t, std::vector<char>& replacement) {
                    replacement = {static_cast<char>(0xFD), static_cast<char>(0xFF)};
                    return std::size_t{1};
                });
    std::u16string result(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<char16_t>(
            endian::get_le16(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2 * i));
    return result;
}

std::string CCodePage::FromUTF16(std::u16string_view text) const {
    if (!IsValid() || text.empty()) return {};
    std::vector<char> input(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i)
        endian::put_le16(reinterpret_cast<std::uint8_t*>(input.data()) + 2 * i, text[i]);
    const std::string& question_mark = m_pConverters->question_mark;
    std::vector<char> bytes = convert(
        m_pConverters->encode, input.data(), input.size(),
        [&](const char* at, std::size_t left, std::vector<char>& replacement) {
            replacement.assign(question_mark.begin(), question_mark.end());
            if (left < 2) return left;
            // A character outside the basic plane is one '?', not two.
            const auto* p = reinterpret_cast<const std::uint8_t*>(at);
            if (left >= 4 && is_high_surrogate(endian::get_le16(p)) &&
                is_low_surrogate(endian::get_le16(p + 2)))
                return std::size_t{4};
            return std::size_t{2};
        });
    return std::string(bytes.begin(), bytes.end());
}

bool is_known_code_page(const std::string& name) {
    return !name.empty() && CCodePage(name).IsValid();
}

namespace {

// Set once at start-up by a command line, before any text is converted.
std::string& chosen_code_page() {
    static std::string name;
    return name;
}

}  // namespace

bool choose_code_page(const std::string& name) {
    if (!name.empty() && !is_known_code_page(name)) return false;
    chosen_code_page() = name;
    return true;
}

std::string system_code_page() {
    if (!chosen_code_page().empty()) return chosen_code_page();
    std::string name = settings::code_page();
    return is_known_code_page(name) ? name : "CP1252";
}

std::string to_system_code_page(std::u16string_view text) {
    return CCodePage(system_code_page()).FromUTF16(text);
}

std::string utf8_to_system_code_page(std::string_view utf8) {
    return to_system_code_page(utf8_to_utf16(utf8));
}

std::u16string to_utf16(std::string_view text, const std::string& code_page) {
    return CCodePage(code_page).ToUTF16(text);
}

std::u16string utf8_to_utf16(std::string_view utf8) { return to_utf16(utf8, "UTF-8"); }

std::string utf16_to_utf8(std::u16string_view text) { return CCodePage("UTF-8").FromUTF16(text); }

}  // namespace platform
