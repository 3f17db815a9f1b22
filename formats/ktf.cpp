#include "formats/ktf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "formats/ktf_text_codec.h"
#include "platform/code_page.h"

namespace formats {
namespace {

// The line without its line end, and without every carriage return, line feed, tab and
// blank, so that values keep no blanks ("Description = Main roads" is
// "Description=Mainroads"). Lines end at the line feed, with or without a carriage return.
void normalise(std::string_view raw, std::string& line) {
    line.clear();
    for (char c : raw)
        if (c != '\r' && c != '\n' && c != '\t' && c != ' ') line.push_back(c);
}

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

// --- the characters of the text ---

ktf_text_codec::ktf_text_codec(bool utf8) {
    if (!utf8) return;
    m_pFrom = std::make_unique<platform::CCodePage>("UTF-8");
    m_pTo = std::make_unique<platform::CCodePage>(platform::system_code_page());
}

ktf_text_codec::~ktf_text_codec() = default;

bool ktf_text_codec::is_utf8(std::string_view text) {
    bool beyond_ascii = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        beyond_ascii = true;
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;   // no overlong forms
            if (c == 0xED) high = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if (!is_continuation(static_cast<unsigned char>(text[i + k]))) return false;
        i += length;
    }
    return beyond_ascii;
}

std::string ktf_text_codec::convert(std::string_view value) const {
    if (!m_pFrom || std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(value);
    return m_pTo->FromUTF16(m_pFrom->ToUTF16(value));
}

// --- numbers ---

std::uint32_t ktf_integer(std::string_view value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    std::uint32_t n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        n = n * 10u + static_cast<std::uint32_t>(value[i] - '0');
    return negative ? 0u - n : n;
}

namespace {

// One number at the start of text as scanf's %lf takes it (an optional sign, decimal or
// hexadecimal digits, an exponent, inf, nan), always with a point for the decimals.
bool leading_number(std::string_view text, double& number, std::size_t& used) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto format = std::chars_format::general;
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        first += 2;
        format = std::chars_format::hex;
    }
    // from_chars takes no sign of its own after the one read here.
    if (first == last || *first == '+' || *first == '-') return false;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(first, last, value, format);
    if (ec == std::errc::invalid_argument) return false;
    // Out of range: scanf gives the infinity or zero that strtod does; from_chars leaves
    // the value, so take the direction from the text.
    if (ec == std::errc::result_out_of_range) {
        std::string_view digits(first, static_cast<std::size_t>(end - first));
        const auto e = digits.find_first_of(format == std::chars_format::hex ? "pP" : "eE");
        const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    }
    number = negative ? -value : value;
    used = static_cast<std::size_t>(end - text.data());
    return true;
}

}  // namespace

int ktf_numbers(std::string_view value, double (&numbers)[3]) {
    int read = 0;
    while (read < 3) {
        std::size_t used = 0;
        if (!leading_number(value, numbers[read], used)) break;
        ++read;
        value.remove_prefix(used);
        if (read == 3 || value.empty() || value[0] != ',') break;
        value.remove_prefix(1);
    }
    return read;
}

// --- the block loop ---

std::int32_t CKTF::Parse(std::string_view) { return 0; }

std::int32_t CKTF::ParseLine(const std::string&, line_context&) { return 0; }

std::int32_t CKTF::Fail(std::int32_t code) {
    status = code;
    errorLine = lineCount;
    reserved = 0;
    m_nErrorTextLine = lineCount + 1;
    return status;
}

std::int32_t CKTF::ParseLines(std::string_view text) {
    status = 0;
    errorLine = 0;
    reserved = 0;
    lineCount = 0;
    m_nConsumed = 0;
    m_nErrorTextLine = 0;
    bool inside = false;
    std::string line;
    while (m_nConsumed < text.size()) {
        const std::size_t start = m_nConsumed;
        const std::size_t feed = text.find('\n', start);
        std::size_t length = (feed == std::string_view::npos ? text.size() : feed + 1) - start;
        normalise(text.substr(start, length), line);
        bool done = false;
        line_context context;
        if (line.empty()) {
            // An empty line (or one of blanks) is skipped.
        } else if (line[0] == '{') {
            inside = true;
        } else if (line[0] == '}') {
            inside = false;
            done = true;
        } else {
            context.following = text.substr(start + length);
            if (ParseLine(line, context) != 0) return status;
            length += context.nested_characters;
        }
        lineCount += 1 + context.nested_lines;
        m_nConsumed = start + length;
        if (done) return status;
    }
    if (inside) return Fail(statusBadText);
    return status;
}

std::int32_t CKTF::ParseNested(CKTF& block, line_context& context) {
    block.m_pCodec = m_pCodec;
    block.Parse(context.following);
    block.m_pCodec = nullptr;
    context.nested_characters = block.m_nConsumed;
    context.nested_lines = block.lineCount;
    if (block.status != 0) {
        status = block.status;
        errorLine = block.errorLine;
        reserved = block.reserved;
        // The nested block starts on the line after this one.
        m_nErrorTextLine = lineCount + 1 + block.m_nErrorTextLine;
    }
    return status;
}

// --- values ---

std::string_view CKTF::ValueOf(const std::string& line) {
    const auto equals = line.rfind('=');
    std::string_view value(line);
    return equals == std::string::npos ? value : value.substr(equals + 1);
}

std::string CKTF::ConvertText(std::string_view value) const {
    return m_pCodec ? m_pCodec->convert(value) : std::string(value);
}

void CKTF::SetText(char* field, std::size_t size, std::string_view value) const {
    const std::string text = ConvertText(value);
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

}  // namespace formats
