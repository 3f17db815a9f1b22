#include "formats/number_text.h"

#include <charconv>
#include <cmath>

namespace formats {

bool parse_finite_number(std::string_view text, double& number) {
    // from_chars takes no plus sign; a sign after it would be a second one.
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') return false;
    }
    if (text.empty()) return false;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return false;
    number = value;
    return true;
}

std::string format_number(double number) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, number);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

std::string_view trim_blanks_and_tabs(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace formats
