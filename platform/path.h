#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Paths are split at the last '/' or '\', so names written on either system work.
std::string file_name_part(const std::string& path);
// Everything before the name, the separator included ("" for a bare name).
std::string directory_part(const std::string& path);
// The extension with its dot, lower-cased ASCII ("" when the name has none).
std::string lower_extension(const std::string& path);
std::string absolute_path(const std::string& path);
// The names of the files (not folders) in a folder, sorted by name; none when the folder
// cannot be read.
std::vector<std::string> list_files(const std::string& folder);

// What tells one state of a file from another without reading it: its size and the time of
// its last change, in nanoseconds. False when the path names no regular file.
struct file_status {
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    friend bool operator==(const file_status&, const file_status&) = default;
};
bool get_file_status(const std::string& path, file_status& status);

}  // namespace platform
