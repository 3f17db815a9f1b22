#pragma once

#include <string>

namespace platform {

// Paths are split at the last '/' or '\', so names written on either system work.
std::string file_name_part(const std::string& path);
// Everything before the name, the separator included ("" for a bare name).
std::string directory_part(const std::string& path);
// The extension with its dot, lower-cased ASCII ("" when the name has none).
std::string lower_extension(const std::string& path);
std::string absolute_path(const std::string& path);

}  // namespace platform
