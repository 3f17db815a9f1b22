#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A file on a memory file system (/dev/shm when there is one) for the readers that take a
// path: each input is written over it whole. The folder is the process's own and goes
// when the process ends.
class input_file {
public:
    // name: the file's name with the extension the reader looks at ("layer.shp").
    explicit input_file(const std::string& name);
    input_file(const input_file&) = delete;
    input_file& operator=(const input_file&) = delete;

    // Replaces the file's bytes; answers its path.
    const std::string& write(const std::uint8_t* data, std::size_t size);
    const std::string& path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// Message boxes answered with their default button and nothing printed: a fuzzer sees
// millions of "Data error." and the like.
void install_quiet_ui();

}  // namespace fuzz
