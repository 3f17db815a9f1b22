#include "platform/path.h"

#include <filesystem>
#include <system_error>

namespace platform {
namespace {

std::string::size_type last_separator(const std::string& path) {
    return path.find_last_of("/\\");
}

}  // namespace

std::string file_name_part(const std::string& path) {
    auto cut = last_separator(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string directory_part(const std::string& path) {
    auto cut = last_separator(path);
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string lower_extension(const std::string& path) {
    std::string name = file_name_part(path);
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

std::string absolute_path(const std::string& path) {
    std::error_code ec;
    auto abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

}  // namespace platform
