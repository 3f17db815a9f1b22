#pragma once

#include <cstdint>

#include "platform/file.h"

// Little-endian fields written and read one by one through a file, as the map document
// and the shapefile reader keep them. Reads answer false when the file ends first.
namespace platform::file_io {

void write_i32(CFile& file, std::int32_t value);
void write_u32(CFile& file, std::uint32_t value);
void write_double(CFile& file, double value);

bool read_i32(CFile& file, std::int32_t& value);
bool read_u32(CFile& file, std::uint32_t& value);
bool read_double(CFile& file, double& value);
bool read_be_i32(CFile& file, std::int32_t& value);
// Exactly count bytes, or false.
bool read_exact(CFile& file, void* buffer, std::size_t count);

// Bytes from the current position to the end of the file (0 when past it).
std::uint64_t bytes_left(const CFile& file);

}  // namespace platform::file_io
