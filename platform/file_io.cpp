#include "platform/file_io.h"

#include "platform/endian.h"

namespace platform::file_io {

void write_i32(CFile& file, std::int32_t value) { write_u32(file, static_cast<std::uint32_t>(value)); }

void write_u32(CFile& file, std::uint32_t value) {
    std::uint8_t bytes[4];
    endian::put_le32(bytes, value);
    file.Write(bytes, sizeof bytes);
}

void write_double(CFile& file, double value) {
    std::uint8_t bytes[8];
    endian::put_le_double(bytes, value);
    file.Write(bytes, sizeof bytes);
}

bool read_exact(CFile& file, void* buffer, std::size_t count) { return file.Read(buffer, count) == count; }

bool read_i32(CFile& file, std::int32_t& value) {
    std::uint8_t bytes[4];
    if (!read_exact(file, bytes, sizeof bytes)) return false;
    value = endian::get_le_i32(bytes);
    return true;
}

bool read_u32(CFile& file, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (!read_exact(file, bytes, sizeof bytes)) return false;
    value = endian::get_le32(bytes);
    return true;
}

bool read_double(CFile& file, double& value) {
    std::uint8_t bytes[8];
    if (!read_exact(file, bytes, sizeof bytes)) return false;
    value = endian::get_le_double(bytes);
    return true;
}

bool read_be_i32(CFile& file, std::int32_t& value) {
    std::uint8_t bytes[4];
    if (!read_exact(file, bytes, sizeof bytes)) return false;
    value = endian::get_be_i32(bytes);
    return true;
}

std::uint64_t bytes_left(const CFile& file) {
    const std::uint64_t length = file.GetLength(), position = file.GetPosition();
    return position < length ? length - position : 0;
}

}  // namespace platform::file_io
