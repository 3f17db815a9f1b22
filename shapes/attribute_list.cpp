#include "shapes/attribute_list.h"

#include <cstring>
#include <new>
#include <vector>

namespace model {
namespace {

// Each value starts with a byte that says how it is kept: the kind (0 to 3) in the low bits
// and the form above them. The forms are exact: any value that fits none of the short ones
// is kept raw, its kind as four bytes and its area up to the last byte that is not zero.
enum form : std::uint8_t {
    kPlain = 0x00,   // none: nothing; integer: 4 bytes; real: 8 bytes; the rest of the area zero
    kNarrow = 0x04,  // text: a count n, then n units below 256, one byte each; the rest zero
    kWide = 0x08,    // text: a count n, then n units of two bytes; the rest zero
    kRaw = 0x0C,
};
constexpr std::uint8_t kKindBits = 0x03;
constexpr std::size_t kLongestValue = 1 + 4 + 1 + _attrValue::value_size;
constexpr std::size_t kUnits = _attrValue::value_size / 2;

bool zero_from(const _attrValue& v, std::size_t first) {
    // Eight bytes at a time: the areas of a million values are looked at.
    const std::uint8_t* p = v.value.data() + first;
    const std::uint8_t* end = v.value.data() + v.value.size();
    for (; p + 8 <= end; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word) return false;
    }
    for (; p < end; ++p)
        if (*p) return false;
    return true;
}

std::uint8_t* put_count(std::uint8_t* out, std::uint32_t n) {
    while (n >= 0x80) *out++ = static_cast<std::uint8_t>(n | 0x80), n >>= 7;
    *out++ = static_cast<std::uint8_t>(n);
    return out;
}

std::uint32_t get_count(const std::uint8_t*& p) {
    std::uint32_t n = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t b = *p++;
        n |= std::uint32_t{b & 0x7Fu} << shift;
        if (!(b & 0x80)) return n;
    }
}

// Writes the value at out, at most kLongestValue bytes, and answers where it ends.
std::uint8_t* encode(const _attrValue& v, std::uint8_t* out) {
    const bool known = v.kind >= _attrValue::none && v.kind <= _attrValue::text;
    const auto kind = static_cast<std::uint8_t>(v.kind & kKindBits);
    if (known && v.kind != _attrValue::text) {
        const std::size_t size = v.kind == _attrValue::integer ? 4 : v.kind == _attrValue::real ? 8 : 0;
        if (zero_from(v, size)) {
            *out++ = kPlain | kind;
            std::memcpy(out, v.value.data(), size);
            return out + size;
        }
    } else if (known) {
        std::size_t n = 0;
        bool narrow = true;
        while (n < kUnits && (v.value[2 * n] | v.value[2 * n + 1]) != 0) narrow &= v.value[2 * n + 1] == 0, ++n;
        if (zero_from(v, 2 * n)) {
            *out++ = (narrow ? kNarrow : kWide) | kind;
            *out++ = static_cast<std::uint8_t>(n);
            if (!narrow) {
                std::memcpy(out, v.value.data(), 2 * n);
                return out + 2 * n;
            }
            for (std::size_t i = 0; i < n; ++i) *out++ = v.value[2 * i];
            return out;
        }
    }
    std::size_t length = v.value.size();
    while (length > 0 && v.value[length - 1] == 0) --length;
    *out++ = kRaw;
    const auto k = static_cast<std::uint32_t>(v.kind);
    for (int i = 0; i < 4; ++i) *out++ = static_cast<std::uint8_t>(k >> (8 * i));
    *out++ = static_cast<std::uint8_t>(length);
    std::memcpy(out, v.value.data(), length);
    return out + length;
}

// Decodes the value at p into v (when given) and answers where the next one starts.
const std::uint8_t* decode(const std::uint8_t* p, _attrValue* v) {
    const std::uint8_t tag = *p++;
    std::size_t copied = 0, stride = 1, count = 0;
    std::int32_t kind = tag & kKindBits;
    switch (tag & ~kKindBits) {
        case kPlain: count = kind == _attrValue::integer ? 4 : kind == _attrValue::real ? 8 : 0; break;
        case kNarrow: count = *p++, stride = 2; break;
        case kWide: count = std::size_t{*p++} * 2; break;
        default: {
            kind = static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                             std::uint32_t{p[3]} << 24);
            p += 4;
            count = *p++;
            break;
        }
    }
    if (v) {
        *v = _attrValue{};
        v->kind = kind;
        for (; copied < count; ++copied) v->value[copied * stride] = p[copied];
    }
    return p + count;
}

std::size_t block_length(const std::uint8_t* block) {
    if (!block) return 0;
    const std::uint8_t* p = block;
    for (std::uint32_t n = get_count(p); n > 0; --n) p = decode(p, nullptr);
    return static_cast<std::size_t>(p - block);
}

std::uintptr_t store(const std::uint8_t* bytes, std::size_t size, std::pmr::memory_resource* arena) {
    if (arena) {
        void* block = arena->allocate(size, 2);
        std::memcpy(block, bytes, size);
        return reinterpret_cast<std::uintptr_t>(block) | 1;
    }
    auto* block = new std::uint8_t[size];
    std::memcpy(block, bytes, size);
    return reinterpret_cast<std::uintptr_t>(block);
}

}  // namespace

attribute_list::attribute_list(const attribute_list& other) { *this = other; }

attribute_list& attribute_list::operator=(const attribute_list& other) {
    if (this == &other) return *this;
    const std::uint8_t* from = other.block();
    const std::vector<std::uint8_t> bytes(from, from + block_length(from));
    release();
    if (!bytes.empty()) block_ = store(bytes.data(), bytes.size(), nullptr);
    return *this;
}

attribute_list::attribute_list(attribute_list&& other) noexcept : block_(other.block_) { other.block_ = 0; }

attribute_list& attribute_list::operator=(attribute_list&& other) noexcept {
    if (this != &other) {
        release();
        block_ = other.block_;
        other.block_ = 0;
    }
    return *this;
}

attribute_list::~attribute_list() { release(); }

void attribute_list::release() {
    if (block_ && !in_arena()) delete[] block();
    block_ = 0;
}

int attribute_list::size() const {
    const std::uint8_t* p = block();
    return p ? static_cast<int>(get_count(p)) : 0;
}

_attrValue attribute_list::get(int index) const {
    _attrValue value;
    const std::uint8_t* p = block();
    if (!p || index < 0) return value;
    const std::uint32_t n = get_count(p);
    if (static_cast<std::uint32_t>(index) >= n) return value;
    for (int i = 0; i < index; ++i) p = decode(p, nullptr);
    decode(p, &value);
    return value;
}

void attribute_list::assign(const _attrValue* values, int count, std::pmr::memory_resource* arena) {
    release();
    if (count <= 0) return;
    // One scratch buffer a thread, so that filling a million shapes allocates only their blocks.
    thread_local std::vector<std::uint8_t> bytes;
    bytes.resize(5 + static_cast<std::size_t>(count) * kLongestValue);
    std::uint8_t* end = put_count(bytes.data(), static_cast<std::uint32_t>(count));
    for (int i = 0; i < count; ++i) end = encode(values[i], end);
    block_ = store(bytes.data(), static_cast<std::size_t>(end - bytes.data()), arena);
    if (bytes.size() > 64 * kLongestValue) std::vector<std::uint8_t>().swap(bytes);
}

void attribute_list::set(int index, const _attrValue& value) {
    const std::uint8_t* p = block();
    const int n = size();
    if (index < 0 || index >= n) return;
    std::vector<_attrValue> values(static_cast<std::size_t>(n));
    get_count(p);
    for (_attrValue& each : values) p = decode(p, &each);
    values[static_cast<std::size_t>(index)] = value;
    assign(values.data(), n);
}

}  // namespace model
