#pragma once

#include <bit>
#include <cstdint>

// Field-by-field encoding of the file formats: little-endian everywhere, big-endian for
// the few shapefile header fields that the ESRI standard keeps so.
namespace platform::endian {

inline std::uint16_t get_le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t get_le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline std::int32_t get_le_i32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(get_le32(p));
}
inline std::uint64_t get_le64(const std::uint8_t* p) {
    return std::uint64_t(get_le32(p)) | std::uint64_t(get_le32(p + 4)) << 32;
}
inline double get_le_double(const std::uint8_t* p) { return std::bit_cast<double>(get_le64(p)); }
inline std::uint32_t get_be32(const std::uint8_t* p) {
    return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 |
           std::uint32_t(p[0]) << 24;
}
inline std::int32_t get_be_i32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(get_be32(p));
}

inline void put_le16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put_le32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void put_le64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void put_le_double(std::uint8_t* p, double v) { put_le64(p, std::bit_cast<std::uint64_t>(v)); }
inline void put_be32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[3 - i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace platform::endian
