#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// A fresh directory for one test, removed with everything in it afterwards.
class temp_dir {
public:
    temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    ~temp_dir();

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<std::uint8_t> read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Little-endian building blocks for files written byte by byte in tests.
void append_le32(std::vector<std::uint8_t>& out, std::uint32_t value);
void append_le_double(std::vector<std::uint8_t>& out, double value);
void append_zeros(std::vector<std::uint8_t>& out, std::size_t count);

}  // namespace test_support
