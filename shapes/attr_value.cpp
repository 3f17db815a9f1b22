#include "shapes/attr_value.h"

#include <algorithm>
#include <charconv>

#include "platform/endian.h"

namespace model {

_attrValue _attrValue::from_int(std::int32_t v) {
    _attrValue a;
    a.kind = integer;
    platform::endian::put_le32(a.value.data(), static_cast<std::uint32_t>(v));
    return a;
}

_attrValue _attrValue::from_double(double v) {
    _attrValue a;
    a.kind = real;
    platform::endian::put_le_double(a.value.data(), v);
    return a;
}

_attrValue _attrValue::from_text(std::u16string_view v) {
    _attrValue a;
    a.kind = text;
    std::size_t n = std::min(v.size(), max_text);
    // A cut between the two halves of a surrogate pair would leave half a character.
    if (n < v.size() && n > 0 && v[n - 1] >= 0xD800 && v[n - 1] <= 0xDBFF) --n;
    for (std::size_t i = 0; i < n; ++i) platform::endian::put_le16(a.value.data() + 2 * i, v[i]);
    return a;
}

std::int32_t _attrValue::get_int() const { return platform::endian::get_le_i32(value.data()); }

double _attrValue::get_double() const { return platform::endian::get_le_double(value.data()); }

std::u16string _attrValue::get_text() const {
    std::u16string out;
    for (std::size_t i = 0; i < value_size / 2; ++i) {
        const char16_t c = platform::endian::get_le16(value.data() + 2 * i);
        if (c == 0) break;
        out.push_back(c);
    }
    return out;
}

std::u16string _attrValue::label_text() const {
    // Numbers as "%d" and "%g" write them in the C locale, whatever the user's locale.
    char buffer[64];
    std::to_chars_result written{buffer, {}};
    switch (kind) {
        case text: return get_text();
        case integer: written = std::to_chars(buffer, buffer + sizeof buffer, get_int()); break;
        case real: written = std::to_chars(buffer, buffer + sizeof buffer, get_double(), std::chars_format::general, 6); break;
        default: return {};
    }
    return std::u16string(buffer, written.ptr);
}

}  // namespace model
