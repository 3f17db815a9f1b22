#pragma once

#include <cstdint>
#include <memory_resource>

#include "shapes/attr_value.h"

namespace model {

// The attribute values of one shape, held compactly: a value takes the bytes its kind needs
// (4 for an integer, 8 for a real, a byte a character for text of the first 256 code
// points) instead of the 104 of a _attrValue, which is what a value reads back as, byte for
// byte. A layer of a million points keeps its table in tens of megabytes, not hundreds.
class attribute_list {
public:
    attribute_list() = default;
    // A copy has a block of its own, whatever arena the original's came from.
    attribute_list(const attribute_list& other);
    attribute_list& operator=(const attribute_list& other);
    attribute_list(attribute_list&& other) noexcept;
    attribute_list& operator=(attribute_list&& other) noexcept;
    ~attribute_list();

    int size() const;
    // The value at index; a zero value (kind none) outside the list.
    _attrValue get(int index) const;
    // Replaces the list by count values; from an arena, when one is given, which must then
    // outlive the list (a block in an arena is never given back on its own).
    void assign(const _attrValue* values, int count, std::pmr::memory_resource* arena = nullptr);
    // Replaces the value at index; nothing outside the list.
    void set(int index, const _attrValue& value);

private:
    const std::uint8_t* block() const { return reinterpret_cast<const std::uint8_t*>(block_ & ~std::uintptr_t{1}); }
    bool in_arena() const { return (block_ & 1) != 0; }
    void release();

    // The encoded values, count first; the low bit marks a block in an arena.
    std::uintptr_t block_ = 0;
};

}  // namespace model
