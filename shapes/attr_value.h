#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace model {

// One attribute value of one shape: a kind and a 100-byte value area, 104 bytes in all,
// copied as a whole.
struct _attrValue {
    enum kind_type : std::int32_t { none = 0, integer = 1, real = 2, text = 3 };
    // Text holds at most this many UTF-16 units before its terminator.
    static constexpr std::size_t max_text = 49;
    static constexpr std::size_t value_size = 100;

    std::int32_t kind = none;
    std::array<std::uint8_t, value_size> value{};

    static _attrValue from_int(std::int32_t v);
    static _attrValue from_double(double v);
    // Longer text is cut to max_text units.
    static _attrValue from_text(std::u16string_view v);

    std::int32_t get_int() const;
    double get_double() const;
    // The units before the terminator (or all 49 when there is none).
    std::u16string get_text() const;
    // What a label shows: the text, or the number written out; nothing for no value.
    std::u16string label_text() const;
};

}  // namespace model
